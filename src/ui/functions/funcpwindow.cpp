#include "ui/functions/funcpwindow.h"

#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/functions/prog.h"
#include "model/test/stest.h"
#include "model/words/words.h"
#include "ui/debug/okcancel.h"
#include "ui/functions/addressfields.h"
#include "ui/functions/datafilebox.h"
#include "ui/functions/runprompt.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace qv::functions {
namespace {

constexpr int kParametersPage = 1;
// The pulse count of the PROM algorithms is sent to the unit as one byte.
constexpr int kMaxPulses = 255;

QString WordText(char kind, std::int32_t number)
{
    return QStringLiteral("%1%2").arg(QLatin1Char(kind == ' ' ? '?' : kind)).arg(number);
}

} // namespace

TfmDelayEdit::TfmDelayEdit(int word, std::int32_t value, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmDelayEdit"));
    setWindowTitle(QStringLiteral("Задержка"));
    m_value = new QLineEdit(QString::number(value), this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Значение задержки слова g%1:").arg(word), this));
    layout->addWidget(m_value);
    m_ok = debug::AddOkCancel(this, layout);
    connect(m_ok, &QPushButton::clicked, this, [this] { TryAccept(); });
}

void TfmDelayEdit::TryAccept()
{
    bool isNumber = false;
    const int value = m_value->text().trimmed().toInt(&isNumber);
    if (!isNumber || value < 1 || value > 65535) {
        Mesbo().Show(Msg(MsgDelayRange), MbError, kProductName);
        return;
    }
    m_accepted = value;
    accept();
}

TfmFuncP::TfmFuncP(TQuorvik &doc, STest &test, int number, services::DataEditorSetting editor,
                   QWidget *parent, Notify notify)
    : FunctionListWindow(test.PFuncs, number, parent, std::move(notify))
    , m_doc(doc)
    , m_test(test)
    , m_editorSetting(std::move(editor))
{
    setObjectName(QStringLiteral("fmFuncP"));
    setWindowTitle(QStringLiteral("P-функции"));

    auto *general = new QWidget(this);
    m_words = new QLabel(general);
    m_algorithm = new QLabel(general);
    m_file = new DataFileBox(m_doc.Doc().FileName, general);
    m_editor = new QPushButton(QStringLiteral("Редактор"), general);
    m_editor->setToolTip(QStringLiteral("Открыть файл данных в редакторе данных"));

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(m_editor);
    auto *form = new QFormLayout(general);
    form->addRow(QStringLiteral("Слова:"), m_words);
    form->addRow(QStringLiteral("Алгоритм:"), m_algorithm);
    form->addRow(QStringLiteral("Файл данных:"), fileRow);
    m_addresses = new AddressFields(
        *form, general, m_doc, m_test,
        [this]() -> std::optional<AddressRange> {
            const SProg *f = Shown();
            return f ? std::optional(AddressRange{f->AdrStart, f->AdrEnd, f->AdrInc})
                     : std::nullopt;
        },
        [this] {
            const SProg *f = Shown();
            if (f == nullptr)
                return std::vector<std::string>{};
            return std::vector<std::string>{WordText(f->AdrWriteKind, f->AdrWrite).toStdString(),
                                            WordText(f->AdrReadKind, f->AdrRead).toStdString()};
        },
        [this](AddressField field, std::int64_t value) {
            ApplyEdit(Shown(), [=](SProg &f) { StoreAddress(f, field, value); });
        });
    m_pages = new QTabWidget(this);
    m_pages->addTab(general, QStringLiteral("Функция"));
    m_pages->addTab(MakeParametersPage(), QStringLiteral("Параметры"));

    auto *content = new QVBoxLayout;
    content->addWidget(m_pages);
    LayOut(content, nullptr);

    connect(m_editor, &QPushButton::clicked, this, [this] { OpenEditor(); });
    connect(m_file, &DataFileBox::Chosen, this, [this](const std::string &name) {
        ApplyEdit(Shown(), [&name](SProg &f) { f.FileName = name; });
    });
    ShowFunction();
}

QWidget *TfmFuncP::MakeParametersPage()
{
    auto *page = new QWidget(this);
    m_cycles = new QSpinBox(page);
    m_delayCaption = new QLabel(QStringLiteral("Слово задержки:"), page);
    m_delay = new QPushButton(page);
    m_pulsesCaption = new QLabel(QStringLiteral("Импульсов программирования:"), page);
    m_pulses = new QSpinBox(page);
    m_pulses->setRange(1, kMaxPulses);
    auto *form = new QFormLayout(page);
    form->addRow(QStringLiteral("Циклов программирования:"), m_cycles);
    form->addRow(m_delayCaption, m_delay);
    form->addRow(m_pulsesCaption, m_pulses);
    connect(m_cycles, &QSpinBox::valueChanged, this,
            [this](int value) { ApplyEdit(Shown(), [value](SProg &f) { f.Cycles = value; }); });
    connect(m_pulses, &QSpinBox::valueChanged, this,
            [this](int value) { ApplyEdit(Shown(), [value](SProg &f) { f.Param = value; }); });
    connect(m_delay, &QPushButton::clicked, this, [this] { EditDelay(); });
    return page;
}

bool TfmFuncP::ParametersShown() const
{
    return m_pages->isTabVisible(kParametersPage);
}

void TfmFuncP::ShowFunction()
{
    const SProg *function = Shown();
    m_filling = true;
    m_file->setEnabled(function != nullptr);
    m_editor->setEnabled(function != nullptr);
    m_addresses->SetEnabled(function != nullptr);
    m_addresses->Show();
    if (function == nullptr) {
        SetTitle(QStringLiteral("P-функций нет"));
        m_pages->setTabVisible(kParametersPage, false);
        m_filling = false;
        return;
    }
    SetTitle(QStringLiteral("P%1 \"%2\"")
                 .arg(function->Number)
                 .arg(QString::fromStdString(function->Name)));
    m_words->setText(QStringLiteral("запись: адрес %1, данные i%2; чтение: адрес %3, данные o%4")
                         .arg(WordText(function->AdrWriteKind, function->AdrWrite))
                         .arg(function->DatWrite)
                         .arg(WordText(function->AdrReadKind, function->AdrRead))
                         .arg(function->DatRead));
    const SProgAlgorithmInfo *info = ProgAlgorithmInfo(function->Alg);
    m_algorithm->setText(info ? QString::fromUtf8(info->name.data(), qsizetype(info->name.size()))
                              : QString::number(function->Alg));
    m_file->ShowName(function->FileName);
    ShowParameters(*function);
    m_filling = false;
}

void TfmFuncP::ShowParameters(const SProg &function)
{
    const SProgAlgorithmInfo *info = ProgAlgorithmInfo(function.Alg);
    const bool shownPage = info != nullptr && info->hasParameters;
    m_pages->setTabVisible(kParametersPage, shownPage);
    if (!shownPage)
        return;
    // The field shows the value the function holds, also one outside the
    // algorithm's range (a file may carry one): the range takes it in, and
    // the hint names the algorithm's range.
    m_cycles->setRange(std::min(info->minCycles, function.Cycles),
                       std::max(info->maxCycles, function.Cycles));
    m_cycles->setValue(function.Cycles);
    const bool outside = function.Cycles < info->minCycles || function.Cycles > info->maxCycles;
    m_cycles->setToolTip(outside ? QStringLiteral("Значение вне диапазона алгоритма (%1 - %2)")
                                       .arg(info->minCycles)
                                       .arg(info->maxCycles)
                                 : QString());
    const bool eprom = function.Alg == ProgEprom;
    m_delayCaption->setVisible(eprom);
    m_delay->setVisible(eprom);
    m_pulsesCaption->setVisible(!eprom);
    m_pulses->setVisible(!eprom);
    if (eprom)
        m_delay->setText(QStringLiteral("g%1").arg(function.Param));
    else
        m_pulses->setValue(function.Param);
}

void TfmFuncP::OpenEditor()
{
    if (const SProg *function = Shown())
        services::OpenDataEditorOn(m_editorSetting.command, m_doc.Doc().FileName,
                                   function->FileName);
}

void TfmFuncP::EditDelay()
{
    const SProg *function = Shown();
    if (function == nullptr || function->Alg != ProgEprom || RefusedWhileRunPrompt())
        return;
    const int word = function->Param;
    const int cycle = m_test.ActiveCycle;
    const auto now = m_test.GWords.ValueAt(word, cycle, ValueSet::Reference);
    TfmDelayEdit editor(word, now.value_or(0), this);
    if (editor.exec() == QDialog::Accepted)
        m_test.GWords.SetValueAt(word, cycle, editor.Value(), ValueSet::Reference);
}

} // namespace qv::functions
