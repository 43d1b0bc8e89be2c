#include "ui/functions/funcfwindow.h"

#include "infra/helpers.h"
#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/document/stest.h"
#include "model/functions/funcaddress.h"
#include "model/functions/funcf.h"
#include "model/words/words.h"
#include "ui/functions/datafilebox.h"
#include "ui/functions/datawindow.h"
#include "ui/functions/runprompt.h"
#include "ui/functions/stepping.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv::functions {
namespace {

QString Text(const std::string &text)
{
    return QString::fromStdString(text);
}

void Refuse(const std::string &text)
{
    Mesbo().Show(text, MbError, kProductName);
}

} // namespace

TfmFuncF::TfmFuncF(TQuorvik &doc, STest &test, int number, QWidget *parent, Notify notify)
    : QDialog(parent)
    , m_doc(doc)
    , m_test(test)
    , m_notify(std::move(notify))
    , m_number(test.FFuncs.ByNumber(number) ? number : 0)
{
    setObjectName(QStringLiteral("fmFuncF"));
    setWindowTitle(QStringLiteral("F - функции"));
    m_test.FFuncs.Snapshot();
    if (m_number == 0 && !m_test.FFuncs.Numbers().empty())
        m_number = static_cast<unsigned char>(m_test.FFuncs.Numbers().front());

    m_title = new QLabel(this);
    m_words = new QLabel(this);
    m_file = new DataFileBox(m_doc.Doc.FileName, this);
    m_start = new QLineEdit(this);
    m_end = new QLineEdit(this);
    m_inc = new QLineEdit(this);
    m_previous = new QPushButton(QStringLiteral("<"), this);
    m_next = new QPushButton(QStringLiteral(">"), this);
    m_data = new QPushButton(QStringLiteral("Данные"), this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Файл данных:"), m_file);
    form->addRow(QStringLiteral("Начальный адрес:"), m_start);
    form->addRow(QStringLiteral("Конечный адрес:"), m_end);
    form->addRow(QStringLiteral("Приращение адреса:"), m_inc);
    auto *stepping = new QHBoxLayout;
    stepping->addWidget(m_previous);
    stepping->addWidget(m_title, 1);
    stepping->addWidget(m_next);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(m_data, QDialogButtonBox::ActionRole);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(stepping);
    layout->addWidget(m_words);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_previous, &QPushButton::clicked, this, [this] { step(-1); });
    connect(m_next, &QPushButton::clicked, this, [this] { step(1); });
    connect(m_data, &QPushButton::clicked, this, [this] { openData(); });
    connect(m_file, &DataFileBox::chosen, this,
            [this](const std::string &name) { chooseFile(name); });
    connect(m_start, &QLineEdit::editingFinished, this, [this] { editAddress(Field::Start); });
    connect(m_end, &QLineEdit::editingFinished, this, [this] { editAddress(Field::End); });
    connect(m_inc, &QLineEdit::editingFinished, this, [this] { editAddress(Field::Inc); });
    showFunction();
}

void TfmFuncF::done(int result)
{
    if (m_notify)
        m_notify(1);
    if (result == QDialog::Accepted)
        m_test.FFuncs.DropSnapshot();
    else
        m_test.FFuncs.RestoreSnapshot();
    if (m_notify)
        m_notify(2);
    QDialog::done(result);
}

SFuncF *TfmFuncF::shown() const
{
    return m_test.FFuncs.ByNumber(m_number);
}

void TfmFuncF::step(int direction)
{
    if (const int next = SteppedNumber(m_test.FFuncs.Numbers(), m_number, direction)) {
        m_number = next;
        showFunction();
    }
}

std::string TfmFuncF::inBase(std::int64_t value) const
{
    return m_doc.Doc.Sys == 8 ? IntToOct(value) : IntToHexA(value);
}

void TfmFuncF::showFunction()
{
    const SFuncF *function = shown();
    m_filling = true;
    for (QWidget *field : std::initializer_list<QWidget *>{m_file, m_start, m_end, m_inc, m_data})
        field->setEnabled(function != nullptr);
    if (function == nullptr) {
        m_title->setText(QStringLiteral("F-функций нет"));
        m_filling = false;
        return;
    }
    m_title->setText(QStringLiteral("F%1 (%2) \"%3\"")
                         .arg(function->Number)
                         .arg(Text(function->Type >= 0 && function->Type <= 2
                                       ? std::string(m_test.FFuncs.TypeName(function->Number))
                                       : std::string("F")))
                         .arg(Text(function->Name)));
    m_words->setText(
        QStringLiteral("Слово задания адреса: %1; слово данных: %2")
            .arg(Text(WordCodeText(function->AdrWord)), Text(WordCodeText(function->DatWord))));
    m_file->showName(function->FileName);
    m_start->setText(Text(inBase(function->AdrStart)));
    m_end->setText(Text(inBase(function->AdrEnd)));
    m_inc->setText(Text(inBase(function->AdrInc)));
    m_filling = false;
}

void TfmFuncF::chooseFile(const std::string &name)
{
    SFuncF *function = shown();
    if (function == nullptr || m_filling)
        return;
    if (RefusedWhileRunPrompt())
        return showFunction();
    function->FileName = name;
    if (m_notify)
        m_notify(3);
}

void TfmFuncF::editAddress(Field field)
{
    SFuncF *function = shown();
    if (function == nullptr || m_filling)
        return;
    QLineEdit *edit = field == Field::Start ? m_start : field == Field::End ? m_end : m_inc;
    std::int32_t &value = field == Field::Start ? function->AdrStart
                          : field == Field::End ? function->AdrEnd
                                                : function->AdrInc;
    if (RefusedWhileRunPrompt())
        return showFunction();
    const std::string text = edit->text().trimmed().toStdString();
    const auto parsed = m_doc.Doc.Sys == 8 ? OctToInt(text) : HexToInt(text);
    const auto restore = [&] { edit->setText(Text(inBase(value))); };
    if (!parsed || *parsed > 0x7FFFFFFFu) {
        Refuse(Msg(MsgNotANumberInBase));
        return restore();
    }
    const auto entered = static_cast<std::int32_t>(*parsed);
    if (entered == value)
        return;
    const std::int32_t start = field == Field::Start ? entered : function->AdrStart;
    const std::int32_t end = field == Field::End ? entered : function->AdrEnd;
    if (field != Field::Inc && start >= end) {
        Refuse(Msg(MsgEndNotAboveStart));
        return restore();
    }
    if (field == Field::End &&
        !CheckAddressRange(end, WordCodeText(function->AdrWord), m_test, m_doc.Doc.Tyres)) {
        Refuse(Msg(MsgAddressTooWide) + " слова задания адреса");
        return restore();
    }
    value = entered;
    if (m_notify)
        m_notify(3);
}

void TfmFuncF::openData()
{
    const SFuncF *function = shown();
    if (function == nullptr || RefusedWhileRunPrompt())
        return;
    const int base = m_doc.Doc.Sys == 8 ? 8 : 16;
    if (auto window = OpenFData(m_test, m_doc.Doc.Tyres, *function, m_doc.Doc.FileName, base, this))
        window->exec();
}

} // namespace qv::functions
