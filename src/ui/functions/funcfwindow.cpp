#include "ui/functions/funcfwindow.h"

#include "infra/helpers.h"
#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/functions/funcaddress.h"
#include "model/functions/funcf.h"
#include "model/test/stest.h"
#include "model/words/words.h"
#include "ui/functions/addressfields.h"
#include "ui/functions/datafilebox.h"
#include "ui/functions/datawindow.h"
#include "ui/functions/runprompt.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace qv::functions {
namespace {

QString Text(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

TfmFuncF::TfmFuncF(TQuorvik &doc, STest &test, int number, services::DataEditorSetting editor,
                   QWidget *parent, Notify notify)
    : FunctionListWindow(test.FFuncs, number, parent, std::move(notify))
    , m_doc(doc)
    , m_test(test)
    , m_editorSetting(std::move(editor))
{
    setObjectName(QStringLiteral("fmFuncF"));
    setWindowTitle(QStringLiteral("F - функции"));

    m_words = new QLabel(this);
    m_file = new DataFileBox(m_doc.Doc().FileName, this);
    m_data = new QPushButton(QStringLiteral("Данные"), this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Файл данных:"), m_file);
    m_addresses = new AddressFields(
        *form, this, m_doc, m_test,
        [this]() -> std::optional<AddressRange> {
            const SFuncF *f = Shown();
            return f ? std::optional(AddressRange{f->AdrStart, f->AdrEnd, f->AdrInc})
                     : std::nullopt;
        },
        [this] {
            const SFuncF *f = Shown();
            return std::vector<std::string>{f ? WordCodeText(f->AdrWord) : std::string()};
        },
        [this](AddressField field, std::int64_t value) { EditAddress(field, value); });
    auto *content = new QVBoxLayout;
    content->addWidget(m_words);
    content->addLayout(form);
    LayOut(content, m_data);

    connect(m_data, &QPushButton::clicked, this, [this] { OpenData(); });
    connect(m_file, &DataFileBox::Chosen, this,
            [this](const std::string &name) { ChooseFile(name); });
    ShowFunction();
}

void TfmFuncF::ShowFunction()
{
    const SFuncF *function = Shown();
    m_filling = true;
    for (QWidget *field : std::initializer_list<QWidget *>{m_file, m_data})
        field->setEnabled(function != nullptr);
    m_addresses->SetEnabled(function != nullptr);
    m_addresses->Show();
    if (function == nullptr) {
        SetTitle(QStringLiteral("F-функций нет"));
        m_filling = false;
        return;
    }
    SetTitle(QStringLiteral("F%1 (%2) \"%3\"")
                 .arg(function->Number)
                 .arg(Text(function->Type >= 0 && function->Type <= 2
                               ? std::string(m_test.FFuncs.TypeName(function->Number))
                               : std::string("F")))
                 .arg(Text(function->Name)));
    m_words->setText(
        QStringLiteral("Слово задания адреса: %1; слово данных: %2")
            .arg(Text(WordCodeText(function->AdrWord)), Text(WordCodeText(function->DatWord))));
    m_file->ShowName(function->FileName);
    m_filling = false;
}

void TfmFuncF::ChooseFile(const std::string &name)
{
    ApplyEdit(Shown(), [&name](SFuncF &f) { f.FileName = name; });
}

void TfmFuncF::EditAddress(AddressField field, std::int64_t value)
{
    ApplyEdit(Shown(), [=](SFuncF &f) { StoreAddress(f, field, value); });
}

namespace {

TWord *WordList(STest &test, char kind)
{
    return kind == 'i'   ? &test.IWords
           : kind == 'o' ? static_cast<TWord *>(&test.OWords)
                         : &test.GWords;
}

// The current value of a function's word: its run value of the active
// cycle when one was taken, else its reference value.
std::optional<std::int32_t> CurrentValue(STest &test, std::int32_t code)
{
    const auto word = DecodeWordCode(code);
    if (!word)
        return std::nullopt;
    const TWord &list = *WordList(test, word->kind);
    const auto run = list.ValueAt(word->id, test.ActiveCycle, ValueSet::Run);
    return run ? run : list.ValueAt(word->id, test.ActiveCycle, ValueSet::Reference);
}

void SetWordValue(STest &test, std::int32_t code, std::int64_t value, ValueSet which)
{
    if (const auto word = DecodeWordCode(code))
        WordList(test, word->kind)
            ->SetValueAt(word->id, test.ActiveCycle, static_cast<std::int32_t>(value), which);
}

} // namespace

void TfmFuncF::OpenData()
{
    const SFuncF *function = Shown();
    if (function == nullptr || RefusedWhileRunPrompt())
        return;
    const int base = m_doc.Doc().Sys == 8 ? 8 : 16;
    auto window = OpenFData(m_test, m_doc.Doc().Tyres, *function, m_doc.Doc().FileName, base,
                            m_editorSetting, this);
    if (!window)
        return;
    // The row of the address word's current address is selected first.
    if (const auto address = CurrentValue(m_test, function->AdrWord);
        address && function->AdrInc > 0)
        window->SelectRow(static_cast<std::size_t>(std::max<std::int64_t>(
            0, (std::int64_t{*address} - function->AdrStart) / function->AdrInc)));
    window->exec();
    // In debug mode the next run goes on from the row the operator chose.
    const SFuncF *still = Shown();
    if (!m_doc.DebugMode() || still == nullptr)
        return;
    const DataRows &rows = window->Model().Rows();
    const std::size_t row = window->Model().Selected();
    SetWordValue(m_test, still->AdrWord, rows.AddressOf(row), ValueSet::Run);
    if (still->Type == DirCompareFile) {
        if (const auto expected = rows.FileDataAt(row))
            SetWordValue(m_test, still->DatWord, *expected, ValueSet::Reference);
    }
    NotifyEdited();
}

} // namespace qv::functions
