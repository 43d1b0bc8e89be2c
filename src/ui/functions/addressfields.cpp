#include "ui/functions/addressfields.h"

#include "infra/helpers.h"
#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/functions/funcaddress.h"
#include "model/test/funclinks.h"
#include "ui/functions/runprompt.h"

#include <QFormLayout>
#include <QLineEdit>

namespace qv::functions {
namespace {

void Refuse(const std::string &text)
{
    Mesbo().Show(text, MbError, kProductName);
}

} // namespace

std::optional<std::int64_t> CheckedAddress(const QString &text, AddressField field,
                                           const AddressRange &current,
                                           const std::vector<std::string> &addressWords,
                                           const TQuorvik &doc, const STest &test)
{
    const std::string typed = text.trimmed().toStdString();
    const auto parsed = doc.Doc().Sys == 8 ? OctToInt(typed) : HexToInt(typed);
    if (!parsed || *parsed > 0x7FFFFFFFu) {
        Refuse(Msg(MsgNotANumberInBase));
        return std::nullopt;
    }
    const auto entered = static_cast<std::int64_t>(*parsed);
    const std::int64_t start = field == AddressField::Start ? entered : current.start;
    const std::int64_t end = field == AddressField::End ? entered : current.end;
    if (field != AddressField::Inc && start >= end) {
        Refuse(Msg(MsgEndNotAboveStart));
        return std::nullopt;
    }
    if (field == AddressField::End) {
        for (const std::string &words : addressWords) {
            if (!CheckAddressRange(end, words, test, doc.Doc().Tyres)) {
                Refuse(Msg(MsgAddressTooWide) + " слова задания адреса");
                return std::nullopt;
            }
        }
    }
    return entered;
}

QString AddressText(const TQuorvik &doc, std::int64_t value)
{
    return QString::fromStdString(doc.Doc().Sys == 8 ? IntToOct(value) : IntToHexA(value));
}

AddressFields::AddressFields(QFormLayout &form, QWidget *parent, const TQuorvik &doc,
                             const STest &test, std::function<std::optional<AddressRange>()> range,
                             std::function<std::vector<std::string>()> addressWords, Edited edited)
    : QObject(parent)
    , m_doc(doc)
    , m_test(test)
    , m_range(std::move(range))
    , m_addressWords(std::move(addressWords))
    , m_edited(std::move(edited))
    , m_start(new QLineEdit(parent))
    , m_end(new QLineEdit(parent))
    , m_inc(new QLineEdit(parent))
{
    form.addRow(QStringLiteral("Начальный адрес:"), m_start);
    form.addRow(QStringLiteral("Конечный адрес:"), m_end);
    form.addRow(QStringLiteral("Приращение адреса:"), m_inc);
    for (const AddressField field : {AddressField::Start, AddressField::End, AddressField::Inc})
        connect(Edit(field), &QLineEdit::editingFinished, this,
                [this, field] { EditField(field); });
}

QLineEdit *AddressFields::Edit(AddressField field) const
{
    return field == AddressField::Start ? m_start : field == AddressField::End ? m_end : m_inc;
}

void AddressFields::Show()
{
    const auto range = m_range();
    m_start->setText(range ? AddressText(m_doc, range->start) : QString());
    m_end->setText(range ? AddressText(m_doc, range->end) : QString());
    m_inc->setText(range ? AddressText(m_doc, range->inc) : QString());
}

void AddressFields::SetEnabled(bool on)
{
    for (QLineEdit *field : {m_start, m_end, m_inc})
        field->setEnabled(on);
}

void AddressFields::EditField(AddressField field)
{
    const auto range = m_range();
    if (!range)
        return;
    const std::int64_t now = field == AddressField::Start ? range->start
                             : field == AddressField::End ? range->end
                                                          : range->inc;
    if (Edit(field)->text() == AddressText(m_doc, now))
        return;
    if (RefusedWhileRunPrompt())
        return Show();
    const auto value =
        CheckedAddress(Edit(field)->text(), field, *range, m_addressWords(), m_doc, m_test);
    if (value && *value != now)
        m_edited(field, *value);
    Show();
}

} // namespace qv::functions
