#include "ui/functions/funcswindow.h"

#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/functions/funcs.h"
#include "model/test/stest.h"
#include "ui/functions/datafilebox.h"
#include "ui/functions/datawindow.h"
#include "ui/functions/runprompt.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <utility>

namespace qv::functions {
namespace {

QString Utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QComboBox *Choices(QWidget *parent, const QStringList &items)
{
    auto *box = new QComboBox(parent);
    box->addItems(items);
    return box;
}

// The size of the data file beside the test file, or -1 when there is none.
std::int64_t DataFileSize(const std::string &testFile, const std::string &name)
{
    if (name.empty())
        return -1;
    std::error_code error;
    const auto size =
        std::filesystem::file_size(std::filesystem::path(testFile).parent_path() / name, error);
    return error ? -1 : static_cast<std::int64_t>(size);
}

} // namespace

TfmFuncS::TfmFuncS(TQuorvik &doc, STest &test, int number, services::DataEditorSetting editor,
                   QWidget *parent, Notify notify)
    : FunctionListWindow(test.SFuncs, number, parent, std::move(notify))
    , m_doc(doc)
    , m_test(test)
    , m_editorSetting(std::move(editor))
{
    setObjectName(QStringLiteral("fmFuncS"));
    setWindowTitle(QStringLiteral("S-функции"));

    m_interface = new QLabel(this);
    m_mode = new QLabel(this);
    m_file = new DataFileBox(m_doc.Doc().FileName, this);
    m_fixed = new QRadioButton(QStringLiteral("фиксированно (байт):"), this);
    m_count = new QLineEdit(this);
    m_all = new QRadioButton(this);
    m_allSize = new QLabel(this);
    QStringList rates;
    for (const std::int32_t rate : kBaudRates)
        rates << QString::number(rate);
    m_speed = Choices(this, rates);
    m_dataBits = Choices(this, {QStringLiteral("7"), QStringLiteral("8")});
    QStringList parities;
    for (std::int32_t i = 0; !ParityName(i).empty(); ++i)
        parities << Utf8(ParityName(i));
    m_parity = Choices(this, parities);
    m_stopBits = Choices(this, {QStringLiteral("1"), QStringLiteral("2")});
    m_flow = new QComboBox(this);
    m_data = new QPushButton(QStringLiteral("Данные"), this);

    auto *fixedRow = new QHBoxLayout;
    fixedRow->addWidget(m_fixed);
    fixedRow->addWidget(m_count);
    auto *allRow = new QHBoxLayout;
    allRow->addWidget(m_all);
    allRow->addWidget(m_allSize, 1);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Интерфейс:"), m_interface);
    form->addRow(QStringLiteral("Режим:"), m_mode);
    form->addRow(QStringLiteral("Файл данных:"), m_file);
    form->addRow(QStringLiteral("Количество байт:"), fixedRow);
    form->addRow(QString(), allRow);
    form->addRow(QStringLiteral("Скорость (бод):"), m_speed);
    form->addRow(QStringLiteral("Биты данных:"), m_dataBits);
    form->addRow(QStringLiteral("Контроль четности:"), m_parity);
    form->addRow(QStringLiteral("Стоповые биты:"), m_stopBits);
    form->addRow(QStringLiteral("Управление потоками:"), m_flow);
    LayOut(form, m_data);

    connect(m_data, &QPushButton::clicked, this, [this] { OpenData(); });
    connect(m_file, &DataFileBox::Chosen, this, [this](const std::string &name) {
        ApplyEdit(Shown(), [&name](SFuncS &f) { f.FileName = name; });
    });
    connect(m_count, &QLineEdit::editingFinished, this, [this] { EditCount(); });
    connect(m_fixed, &QRadioButton::clicked, this, [this] { EditCount(); });
    connect(m_all, &QRadioButton::clicked, this,
            [this] { ApplyEdit(Shown(), [](SFuncS &f) { f.NumBytes = 0; }); });
    connect(m_speed, &QComboBox::activated, this, [this](int index) {
        ApplyEdit(Shown(),
                  [index](SFuncS &f) { f.Speed = kBaudRates[static_cast<std::size_t>(index)]; });
    });
    connect(m_dataBits, &QComboBox::activated, this, [this](int index) {
        ApplyEdit(Shown(), [index](SFuncS &f) { f.DataBits = 7 + index; });
    });
    connect(m_parity, &QComboBox::activated, this,
            [this](int index) { ApplyEdit(Shown(), [index](SFuncS &f) { f.Parity = index; }); });
    connect(m_stopBits, &QComboBox::activated, this, [this](int index) {
        ApplyEdit(Shown(), [index](SFuncS &f) { f.StopBits = 1 + index; });
    });
    // The flow-control choices start at the entry of the interface's index.
    connect(m_flow, &QComboBox::activated, this, [this](int index) {
        ApplyEdit(Shown(), [index](SFuncS &f) { f.Handling = index + f.Interface; });
    });
    ShowFunction();
}

void TfmFuncS::ShowFunction()
{
    const SFuncS *function = Shown();
    m_filling = true;
    for (QWidget *field :
         std::initializer_list<QWidget *>{m_file, m_fixed, m_count, m_all, m_speed, m_dataBits,
                                          m_parity, m_stopBits, m_flow, m_data})
        field->setEnabled(function != nullptr);
    if (function == nullptr) {
        SetTitle(QStringLiteral("S-функций нет"));
        m_filling = false;
        return;
    }
    SetTitle(QStringLiteral("S%1 \"%2\"")
                 .arg(function->Number)
                 .arg(QString::fromStdString(function->Name)));
    m_interface->setText(Utf8(SerialInterfaceName(function->Interface)));
    m_mode->setText(Utf8(FuncSModeCaption(function->Mode)));
    m_file->ShowName(function->FileName);
    ShowCount(*function);
    ShowSerial(*function);
    m_filling = false;
}

void TfmFuncS::ShowCount(const SFuncS &function)
{
    m_all->setText(function.Mode == DirReadFile ? QStringLiteral("весь файл")
                                                : QStringLiteral("все данные"));
    m_fixed->setChecked(function.NumBytes != 0);
    m_all->setChecked(function.NumBytes == 0);
    if (function.NumBytes != 0) {
        m_count->setText(QString::number(function.NumBytes));
        m_allSize->clear();
        return;
    }
    const std::int64_t size = DataFileSize(m_doc.Doc().FileName, function.FileName);
    m_allSize->setText(QStringLiteral("%1 (%2)")
                           .arg(size < 0 ? QStringLiteral("?") : QString::number(size))
                           .arg(m_all->text()));
}

void TfmFuncS::ShowSerial(const SFuncS &function)
{
    const bool serial = HasSerialParameters(function.Interface);
    for (QWidget *field :
         std::initializer_list<QWidget *>{m_speed, m_dataBits, m_parity, m_stopBits, m_flow})
        field->setEnabled(serial);
    if (!serial) {
        // Once per function shown, not after every edit.
        if (std::exchange(m_unknownShown, function.Number) != function.Number)
            Mesbo().Show("Unknown type - TfmFuncS::ShowFunc", MbError, kProductName);
        return;
    }
    const auto rate = std::find(kBaudRates.begin(), kBaudRates.end(), function.Speed);
    m_speed->setCurrentIndex(
        rate == kBaudRates.end() ? -1 : static_cast<int>(rate - kBaudRates.begin()));
    m_dataBits->setCurrentIndex(function.DataBits - 7);
    m_parity->setCurrentIndex(ParityName(function.Parity).empty() ? -1 : function.Parity);
    m_stopBits->setCurrentIndex(function.StopBits - 1);
    m_flow->clear();
    for (std::int32_t i = function.Interface; !FlowControlName(i).empty(); ++i)
        m_flow->addItem(Utf8(FlowControlName(i)));
    m_flow->setCurrentIndex(function.Handling - function.Interface);
}

void TfmFuncS::EditCount()
{
    if (!m_fixed->isChecked())
        return;
    bool isNumber = false;
    const int count = m_count->text().trimmed().toInt(&isNumber);
    if (!isNumber || count < 1 || count > 65535) {
        if (Shown() != nullptr && !m_filling && !RunPromptOpen())
            Mesbo().Show(Msg(MsgByteCountRange), MbError, kProductName);
        return ShowFunction();
    }
    ApplyEdit(Shown(), [count](SFuncS &f) { f.NumBytes = count; });
}

void TfmFuncS::OpenData()
{
    const SFuncS *function = Shown();
    if (function == nullptr || RefusedWhileRunPrompt())
        return;
    const int base = m_doc.Doc().Sys == 8 ? 8 : 16;
    if (auto window = OpenSData(*function, m_doc.Doc().FileName, base, m_editorSetting, this))
        window->exec();
}

} // namespace qv::functions
