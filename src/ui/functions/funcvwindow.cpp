#include "ui/functions/funcvwindow.h"

#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/functions/funcv.h"
#include "model/test/stest.h"
#include "paint/oscillogram/oscillogram.h"
#include "ui/debug/okcancel.h"
#include "ui/functions/runprompt.h"
#include "ui/functions/stepping.h"
#include "ui/functions/vaddwindow.h"
#include "ui/functions/vtexts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace qv::functions {
namespace {

enum TableColumn { ColNumber, ColName, ColTact, ColSweep, ColAmplitude, ColumnCount };

void Refuse(const std::string &text)
{
    Mesbo().Show(text, MbError, kProductName);
}

QString Utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

TfmFuncV::TfmFuncV(STest &test, const OscillogramColours &colours, int number, QWidget *parent)
    : QDialog(parent)
    , m_test(test)
    , m_colours(colours)
    , m_cycles(std::clamp(test.Cycles, 1, kVCycles))
    , m_picture(oscillogram::kPictureSize, oscillogram::kPictureSize, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("fmFuncV"));
    setWindowTitle(QStringLiteral("V-функции"));
    m_test.VFuncs.Snapshot();
    m_cycle = std::clamp(test.ActiveCycle, 0, m_cycles - 1);
    if (m_test.VFuncs.ByNumber(number) != nullptr)
        m_number = number;
    else if (m_test.VFuncs.ByNumber(m_test.VFuncs.Active()) != nullptr)
        m_number = m_test.VFuncs.Active();
    else
        m_number = SteppedNumber(m_test.VFuncs.Numbers(), 0, 0);

    m_active = new QComboBox(this);
    m_pages = new QTabWidget(this);
    m_pages->addTab(MakeFormPage(), QStringLiteral("форма"));
    m_pages->addTab(MakeTablePage(), QStringLiteral("таблица"));
    m_add = new QPushButton(QStringLiteral("Добавить"), this);
    m_delete = new QPushButton(QStringLiteral("Удалить"), this);

    auto *activeRow = new QHBoxLayout;
    activeRow->addWidget(new QLabel(QStringLiteral("Активная V-функция:"), this));
    activeRow->addWidget(m_active, 1);
    auto *listButtons = new QHBoxLayout;
    listButtons->addWidget(m_add);
    listButtons->addWidget(m_delete);
    listButtons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(activeRow);
    layout->addWidget(m_pages, 1);
    layout->addLayout(listButtons);
    QPushButton *ok = debug::AddOkCancel(this, layout);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_active, &QComboBox::activated, this, [this](int index) { ChooseActive(index); });
    connect(m_add, &QPushButton::clicked, this, [this] { AddFunction(); });
    connect(m_delete, &QPushButton::clicked, this, [this] { DeleteShown(); });
    Refresh();
}

QWidget *TfmFuncV::MakeFormPage()
{
    auto *page = new QWidget(this);
    m_title = new QLabel(page);
    m_previous = new QPushButton(QStringLiteral("<"), page);
    m_next = new QPushButton(QStringLiteral(">"), page);
    m_name = new QLineEdit(page);
    m_sweep = new QComboBox(page);
    m_sweep->addItems(SweepChoices());
    m_amplitude = new QComboBox(page);
    m_amplitude->addItems(AmplitudeChoices());
    m_tact = new QLineEdit(page);
    m_info = new QPlainTextEdit(page);
    m_info->setReadOnly(true);
    m_cycleBox = new QSpinBox(page);
    m_cycleBox->setRange(1, m_cycles);
    m_cycleBox->setWrapping(true);
    m_pictureLabel = new QLabel(page);
    m_pictureLabel->setFixedSize(oscillogram::kPictureSize, oscillogram::kPictureSize);
    m_sweepDivision = new QLabel(page);
    m_amplitudeDivision = new QLabel(page);
    m_keep = new QPushButton(QStringLiteral("Сохранить"), page);
    m_clear = new QPushButton(QStringLiteral("Очистить"), page);
    m_editor = new QPushButton(QStringLiteral("Редактор"), page);

    auto *stepping = new QHBoxLayout;
    stepping->addWidget(m_previous);
    stepping->addWidget(m_title, 1);
    stepping->addWidget(m_next);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Имя функции:"), m_name);
    form->addRow(QStringLiteral("Цикл:"), m_cycleBox);
    form->addRow(QStringLiteral("Развертка:"), m_sweep);
    form->addRow(QStringLiteral("Амплитуда сигнала:"), m_amplitude);
    form->addRow(QStringLiteral("Номер такта:"), m_tact);
    form->addRow(QStringLiteral("Информация:"), m_info);
    auto *picture = new QVBoxLayout;
    picture->addWidget(m_pictureLabel);
    picture->addWidget(m_sweepDivision);
    picture->addWidget(m_amplitudeDivision);
    auto *waveButtons = new QHBoxLayout;
    waveButtons->addWidget(m_keep);
    waveButtons->addWidget(m_clear);
    waveButtons->addWidget(m_editor);
    picture->addLayout(waveButtons);
    auto *columns = new QHBoxLayout;
    columns->addLayout(form, 1);
    columns->addLayout(picture);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(stepping);
    layout->addLayout(columns);

    connect(m_previous, &QPushButton::clicked, this, [this] { Step(-1); });
    connect(m_next, &QPushButton::clicked, this, [this] { Step(1); });
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString &t) { EditName(t); });
    connect(m_sweep, &QComboBox::activated, this,
            [this](int index) { EditCycleValue(&SFuncV::Sweep, index); });
    connect(m_amplitude, &QComboBox::activated, this,
            [this](int index) { EditCycleValue(&SFuncV::Scale, index); });
    connect(m_tact, &QLineEdit::editingFinished, this, [this] { EditTact(); });
    connect(m_cycleBox, &QSpinBox::valueChanged, this, [this](int value) {
        if (m_filling)
            return;
        m_cycle = value - 1;
        FillForm();
        FillTable();
    });
    connect(m_keep, &QPushButton::clicked, this, [this] { ToggleKeep(); });
    connect(m_clear, &QPushButton::clicked, this, [this] { ClearCapture(); });
    connect(m_editor, &QPushButton::clicked, this, [this] { EditInfo(); });
    return page;
}

QWidget *TfmFuncV::MakeTablePage()
{
    auto *page = new QWidget(this);
    m_table = new QTableWidget(0, ColumnCount, page);
    m_table->setHorizontalHeaderLabels({QStringLiteral("№"), QStringLiteral("Имя"),
                                        QStringLiteral("Такт"), QStringLiteral("Развертка"),
                                        QStringLiteral("Амплитуда")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->viewport()->installEventFilter(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_table, 1);
    layout->addWidget(new QLabel(QStringLiteral("Для изменения активной V-функции, щелкните на "
                                                "соответствующей \r\nстроке таблицы."),
                                 page));
    return page;
}

SFuncV *TfmFuncV::Shown() const
{
    return m_test.VFuncs.ByNumber(m_number);
}

void TfmFuncV::Refresh()
{
    if (Shown() == nullptr)
        m_number = SteppedNumber(m_test.VFuncs.Numbers(), 0, 0);
    FillActiveBox();
    FillForm();
    FillTable();
}

bool TfmFuncV::MayLeaveShown() const
{
    const SFuncV *function = Shown();
    if (function != nullptr && function->Name.empty()) {
        Refuse(Msg(56));
        return false;
    }
    return true;
}

void TfmFuncV::Show(int number)
{
    if (number == m_number || !MayLeaveShown())
        return;
    m_number = number;
    FillForm();
}

void TfmFuncV::Step(int direction)
{
    if (RefusedWithoutFunctions(50))
        return;
    Show(SteppedNumber(m_test.VFuncs.Numbers(), m_number, direction));
}

void TfmFuncV::FillForm()
{
    const SFuncV *function = Shown();
    m_filling = true;
    for (QWidget *field : std::initializer_list<QWidget *>{m_name, m_sweep, m_amplitude, m_tact})
        field->setEnabled(function != nullptr);
    m_cycleBox->setValue(m_cycle + 1);
    if (function == nullptr) {
        m_title->setText(QStringLiteral("V-функций нет"));
        m_name->clear();
        m_tact->clear();
        m_info->clear();
        m_sweep->setCurrentIndex(-1);
        m_amplitude->setCurrentIndex(-1);
    } else {
        const auto c = static_cast<std::size_t>(m_cycle);
        m_title->setText(QStringLiteral("V%1").arg(function->Number));
        if (m_name->text().toStdString() != function->Name)
            m_name->setText(QString::fromStdString(function->Name));
        m_sweep->setCurrentIndex(function->Sweep[c]);
        m_amplitude->setCurrentIndex(function->Scale[c]);
        m_tact->setText(QString::number(function->Tact + 1));
        m_info->setPlainText(FromStoredLines(function->Info));
        QFont font = m_keep->font();
        font.setBold(function->KeepCapture[c]);
        m_keep->setFont(font);
    }
    m_filling = false;
    DrawPicture();
}

void TfmFuncV::FillTable()
{
    const auto &records = m_test.VFuncs.Records();
    m_table->setRowCount(static_cast<int>(records.size()));
    const auto c = static_cast<std::size_t>(m_cycle);
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const SFuncV &function = records[static_cast<std::size_t>(row)];
        const QStringList texts = {
            QString::number(function.Number), QString::fromStdString(function.Name),
            QString::number(function.Tact + 1), Utf8(SweepText(function.Sweep[c])),
            Utf8(AmplitudeText(function.Scale[c])) + QStringLiteral(" В")};
        const bool active = function.Number == m_test.VFuncs.Active();
        for (int column = 0; column < ColumnCount; ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            QFont font = item->font();
            font.setBold(active);
            item->setFont(font);
            if (active)
                item->setBackground(QColor(0xE8, 0xE8, 0xE8));
            m_table->setItem(row, column, item);
        }
    }
}

void TfmFuncV::FillActiveBox()
{
    m_active->clear();
    m_active->addItem(QStringLiteral("отсутствует"));
    int position = 0;
    for (const SFuncV &function : m_test.VFuncs) {
        ++position;
        m_active->addItem(
            QStringLiteral("%1: %2").arg(position).arg(QString::fromStdString(function.Name)));
    }
    m_active->setCurrentIndex(m_test.VFuncs.IndexOf(m_test.VFuncs.Active()) + 1);
}

void TfmFuncV::DrawPicture()
{
    const oscillogram::SDrawDiag request{Shown(), m_cycle};
    QPainter painter(&m_picture);
    oscillogram::Draw(painter, request, m_colours);
    painter.end();
    m_pictureLabel->setPixmap(QPixmap::fromImage(m_picture));
    const auto labels = oscillogram::LabelsFor(request);
    m_sweepDivision->setText(labels.sweep);
    m_amplitudeDivision->setText(labels.amplitude);
}

void TfmFuncV::ChooseActive(int index)
{
    if (RefusedWhileRunPrompt()) {
        FillActiveBox();
        return;
    }
    const SFuncV *function = m_test.VFuncs.At(index - 1);
    m_test.VFuncs.SetActive(function != nullptr ? function->Number : 0);
    FillTable();
}

bool TfmFuncV::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_table->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            m_pressedRow = m_table->rowAt(mouse->position().toPoint().y());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const int row = m_table->rowAt(mouse->position().toPoint().y());
            const int pressed = std::exchange(m_pressedRow, -1);
            if (pressed >= 0 && row == pressed)
                ClickRow(row);
            else if (pressed >= 0 && row >= 0)
                DragRow(pressed, row);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfmFuncV::ClickRow(int row)
{
    const SFuncV *function = m_test.VFuncs.At(row);
    if (function == nullptr || RefusedWhileRunPrompt())
        return;
    const int number = function->Number;
    m_test.VFuncs.SetActive(m_test.VFuncs.Active() == number ? 0 : number);
    Show(number);
    FillActiveBox();
    FillTable();
}

void TfmFuncV::DragRow(int from, int to)
{
    const SFuncV *a = m_test.VFuncs.At(from);
    const SFuncV *b = m_test.VFuncs.At(to);
    if (a == nullptr || b == nullptr || RefusedWhileRunPrompt())
        return;
    m_test.VFuncs.Swap(a->Number, b->Number);
    Refresh();
}

void TfmFuncV::EditName(const QString &text)
{
    SFuncV *function = Shown();
    if (function == nullptr || m_filling)
        return;
    if (RefusedWhileRunPrompt()) {
        FillForm();
        return;
    }
    function->Name = text.trimmed().toStdString();
    FillActiveBox();
    FillTable();
}

void TfmFuncV::EditCycleValue(std::array<std::int32_t, kVCycles> SFuncV::*values, int index)
{
    SFuncV *function = Shown();
    if (function == nullptr || m_filling || index < 0)
        return;
    if (!RefusedWhileRunPrompt())
        (function->*values)[static_cast<std::size_t>(m_cycle)] = index;
    FillForm();
    FillTable();
}

void TfmFuncV::EditTact()
{
    SFuncV *function = Shown();
    if (function == nullptr || m_filling || m_tact->text() == QString::number(function->Tact + 1))
        return;
    const int count = m_test.Tacts.TactCount();
    bool isNumber = false;
    const int tact = m_tact->text().trimmed().toInt(&isNumber);
    if (!RefusedWhileRunPrompt()) {
        if (!isNumber || tact < 1 || tact > count)
            Refuse(Msg(47) + "\r\nМинимальное - 1. Максимальное - количество тактов (" +
                   std::to_string(count) + ")");
        else
            function->Tact = tact - 1;
    }
    FillForm();
    FillTable();
}

bool TfmFuncV::RefusedWithoutFunctions(int message) const
{
    if (!m_test.VFuncs.Empty())
        return false;
    Refuse(Msg(message));
    return true;
}

void TfmFuncV::ToggleKeep()
{
    if (RefusedWithoutFunctions(50) || RefusedWhileRunPrompt())
        return;
    if (SFuncV *function = Shown()) {
        bool &keep = function->KeepCapture[static_cast<std::size_t>(m_cycle)];
        keep = !keep;
    }
    FillForm();
}

void TfmFuncV::ClearCapture()
{
    if (RefusedWithoutFunctions(50) || RefusedWhileRunPrompt())
        return;
    if (SFuncV *function = Shown())
        function->Captured[static_cast<std::size_t>(m_cycle)].reset();
    FillForm();
}

void TfmFuncV::DeleteShown()
{
    if (RefusedWithoutFunctions(48) || RefusedWhileRunPrompt())
        return;
    if (Mesbo().Show(Msg(49), MbQuestion, kProductName) != MbYes)
        return;
    const int gone = m_number;
    m_number = SteppedNumber(m_test.VFuncs.Numbers(), gone, 1);
    m_test.VFuncs.Delete(gone);
    m_test.VFuncs.SetActive(0);
    Refresh();
}

void TfmFuncV::EditInfo()
{
    if (RefusedWithoutFunctions(50) || RefusedWhileRunPrompt())
        return;
    SFuncV *function = Shown();
    if (function == nullptr)
        return;
    QDialog editor(this);
    editor.setObjectName(QStringLiteral("fmVInfoEditor"));
    editor.setWindowTitle(QStringLiteral("Информация: V%1").arg(function->Number));
    auto *text = new QPlainTextEdit(FromStoredLines(function->Info), &editor);
    auto *layout = new QVBoxLayout(&editor);
    layout->addWidget(text);
    QPushButton *ok = debug::AddOkCancel(&editor, layout);
    connect(ok, &QPushButton::clicked, &editor, &QDialog::accept);
    if (editor.exec() != QDialog::Accepted)
        return;
    // The list may have changed while the editor was open.
    if (SFuncV *still = Shown())
        still->Info = ToStoredLines(text->toPlainText());
    FillForm();
}

void TfmFuncV::AddFunction()
{
    if (!MayLeaveShown())
        return;
    // A full list refuses before the dialog opens (the list's own check
    // gives the text: it looks at the count first).
    if (std::string refusal;
        m_test.VFuncs.Count() >= kMaxVFunctions && !m_test.VFuncs.AddFunction({}, 0, &refusal)) {
        Refuse(refusal);
        return;
    }
    TfmAddFuncV window(m_test.VFuncs, m_test.Tacts.TactCount(), this);
    if (window.exec() != QDialog::Accepted)
        return;
    m_number = window.AddedNumber();
    Refresh();
}

void TfmFuncV::done(int result)
{
    if (result == QDialog::Accepted) {
        if (!MayLeaveShown())
            return;
        m_test.VFuncs.DropSnapshot();
        const SFuncV *active = m_test.VFuncs.ByNumber(m_test.VFuncs.Active());
        m_chosenTact = active != nullptr ? active->Tact + 1 : 0;
    } else {
        m_test.VFuncs.RestoreSnapshot();
    }
    QDialog::done(result);
}

} // namespace qv::functions
