#include "ui/debug/editdebug.h"

#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/safefile.h"
#include "infra/version.h"
#include "model/core/modelfailure.h"
#include "model/document/quorvik.h"
#include "model/functions/funcf.h"
#include "model/test/stest.h"
#include "ui/debug/okcancel.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <bit>
#include <limits>
#include <unistd.h>

namespace qv::debug {
namespace {

constexpr std::int64_t kNotANumber = -2;
constexpr std::int64_t kTooWide = -1;
constexpr std::int64_t kMaxValue = 65535;

// The value typed: kNotANumber for text that is no number, kTooWide for a
// number beyond 16 bits.
std::int64_t ParseValue(const TQuorvik &doc, char letter, const QString &typed)
{
    const std::string text = typed.trimmed().toUpper().toStdString();
    if (letter == 'i') {
        const auto value = doc.ParseNumber(text);
        if (!value)
            return kNotANumber;
        return *value > static_cast<std::uint64_t>(kMaxValue) ? kTooWide
                                                              : static_cast<std::int64_t>(*value);
    }
    bool ok = false;
    const qlonglong value = QString::fromStdString(text).toLongLong(&ok);
    return ok && value >= 0 && value <= kMaxValue ? value : kNotANumber;
}

bool Refuse(int message, const std::string &tail = {})
{
    Mesbo().Show(Msg(message) + tail, MbError, kProductName);
    return false;
}

// The data element of an F-function's address from its data file.
std::optional<std::uint32_t> FileElement(const TQuorvik &doc, const SFuncF &function,
                                         std::int64_t address, int elementSize)
{
    const std::int64_t offset = DataElementOffset(function, address, elementSize);
    if (offset < 0)
        return std::nullopt;
    const auto file = InputFile::Open(DataFilePath(doc.Doc().FileName, function.FileName),
                                      std::numeric_limits<std::uint64_t>::max());
    std::uint8_t bytes[4] = {};
    const auto size = static_cast<std::size_t>(std::clamp(elementSize, 1, 4));
    if (!file || ::pread(file->Fd(), bytes, size, offset) != static_cast<ssize_t>(size))
        return std::nullopt;
    return DataElementAt(std::span<const std::uint8_t>(bytes, size), 0, static_cast<int>(size));
}

// An F-function's address word: the file element of that address goes to
// the function's data word (an output word's reference).
void TakeFileElement(TQuorvik &doc, STest &test, int functionNumber, std::int64_t address,
                     int cycle)
{
    const SFuncF *function = test.FFuncs.ByNumber(functionNumber);
    if (!function || function->FileName.empty() || address < function->AdrStart ||
        address > function->AdrEnd)
        return;
    const auto data = DecodeWordCode(function->DatWord);
    if (!data || (data->kind != 'i' && data->kind != 'o'))
        return;
    TWord &words = data->kind == 'i' ? static_cast<TWord &>(test.IWords) : test.OWords;
    const int size = std::min(DataElementSize(words.BusWidth(data->id, doc.Doc().Tyres)), 2);
    if (const auto element = FileElement(doc, *function, address, size))
        words.SetValueAt(data->id, cycle, static_cast<std::int32_t>(*element),
                         data->kind == 'i' ? ValueSet::Run : ValueSet::Reference);
}

} // namespace

bool ApplyDebugValue(TQuorvik &doc, STest &test, const DebugEditTarget &target, const QString &text)
{
    if (target.letter != 'i' && target.letter != 'g' && target.letter != 'G')
        throw InternalError("TfmEditDebug::btOkClick");
    const std::int64_t value = ParseValue(doc, target.letter, text);
    if (value == kNotANumber)
        return Refuse(16);
    if (value == kTooWide)
        return Refuse(23);
    TWord &words = target.letter == 'i' ? test.IWords : static_cast<TWord &>(test.GWords);
    const auto v = static_cast<std::int32_t>(value);
    if (target.letter != 'i')
        return words.SetValueAt(target.word, target.cycle, v, ValueSet::Run);

    const int width = words.BusWidth(target.word, doc.Doc().Tyres);
    if (width < 31 && value >= (std::int64_t{1} << width))
        return Refuse(23);
    const std::int32_t link = words.FuncLinkOf(target.word);
    const std::uint32_t mask = width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u;
    const auto bits = static_cast<std::uint32_t>(v) & mask;
    const bool oneSet = (link & LinkPData) && std::popcount(bits) > 1;
    const bool oneClear = (link & LinkPData2) && std::popcount(~bits & mask) > 1;
    if (oneSet || oneClear)
        return Refuse(19, "\r\nДопустимо задание только одного значащего бита");

    const int function = FuncLinkNumber(link);
    const SFuncM *m = test.MFuncs.ByNumber(function);
    if ((link & LinkMAddress) && m) {
        words.SetValueAt(m->AdrWrite, target.cycle, v, ValueSet::Run);
        words.SetValueAt(m->AdrRead, target.cycle, v, ValueSet::Run);
        return true;
    }
    if ((link & LinkMHighAddress) && m) {
        words.SetValueAt(m->AdrWrite2, target.cycle, v, ValueSet::Run);
        words.SetValueAt(m->AdrRead2, target.cycle, v, ValueSet::Run);
        return true;
    }
    if (link & LinkFAddress)
        TakeFileElement(doc, test, function, value, target.cycle);
    return words.SetValueAt(target.word, target.cycle, v, ValueSet::Run);
}

TfmEditDebug::TfmEditDebug(TQuorvik &doc, STest &test, DebugEditTarget target, const QString &value,
                           QWidget *parent)
    : QDialog(parent)
    , m_doc(doc)
    , m_test(test)
    , m_target(target)
{
    setObjectName(QStringLiteral("fmEditDebug"));
    setWindowTitle(QStringLiteral("Отладка"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Цикл:"), new QLabel(QString::number(target.cycle + 1), this));
    form->addRow(
        QStringLiteral("Слово:"),
        new QLabel(QString(QLatin1Char(target.letter)) + QString::number(target.word), this));
    m_value = new QLineEdit(value, this);
    m_value->setMaxLength(kMaxLength);
    form->addRow(QStringLiteral(" Значение "), m_value);
    layout->addLayout(form);
    m_ok = AddOkCancel(this, layout);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (ApplyDebugValue(m_doc, m_test, m_target, m_value->text()))
            accept();
    });
}

} // namespace qv::debug
