#pragma once

// The start, end and increment fields of the F-, M- and P-function windows:
// addresses typed in the test file's number base, start below end, and an
// end that the address word(s) can carry.

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

class QFormLayout;
class QLineEdit;
class QWidget;

namespace qv {

class TQuorvik;
struct STest;

namespace functions {

enum class AddressField { Start, End, Inc };

struct AddressRange
{
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::int64_t inc = 0;
};

// The value `text` gives `field` of `current`, or nullopt after the refusal
// was shown: not a number in `base` (or above 2^31 - 1), a start not below
// the end, or an end that one of `addressWords` (texts as
// CheckAddressRange takes them) cannot carry.
std::optional<std::int64_t> CheckedAddress(const QString &text, AddressField field,
                                           const AddressRange &current,
                                           const std::vector<std::string> &addressWords,
                                           const TQuorvik &doc, const STest &test);

// Stores an accepted value in the field of a record with AdrStart, AdrEnd
// and AdrInc.
template <class Record>
void StoreAddress(Record &record, AddressField field, std::int64_t value)
{
    auto store = [value](auto &target) {
        target = static_cast<std::decay_t<decltype(target)>>(value);
    };
    if (field == AddressField::Start)
        store(record.AdrStart);
    else if (field == AddressField::End)
        store(record.AdrEnd);
    else
        store(record.AdrInc);
}

// An address in the number base of the test file.
QString AddressText(const TQuorvik &doc, std::int64_t value);

// The three line edits, added to a form as "Начальный адрес:", "Конечный
// адрес:", "Приращение адреса:". `edited` gets the field and the new value
// after the checks passed; the fields show `range()` again otherwise.
class AddressFields : public QObject
{
    Q_OBJECT

public:
    using Edited = std::function<void(AddressField, std::int64_t)>;

    AddressFields(QFormLayout &form, QWidget *parent, const TQuorvik &doc, const STest &test,
                  std::function<std::optional<AddressRange>()> range,
                  std::function<std::vector<std::string>()> addressWords, Edited edited);

    void Show(); // the shown function's values, or blank fields without one
    void SetEnabled(bool on);
    QLineEdit *Edit(AddressField field) const;
    QLineEdit *StartEdit() const { return m_start; }
    QLineEdit *EndEdit() const { return m_end; }
    QLineEdit *IncEdit() const { return m_inc; }

private:
    void EditField(AddressField field);

    const TQuorvik &m_doc;
    const STest &m_test;
    std::function<std::optional<AddressRange>()> m_range;
    std::function<std::vector<std::string>()> m_addressWords;
    Edited m_edited;
    QLineEdit *m_start = nullptr;
    QLineEdit *m_end = nullptr;
    QLineEdit *m_inc = nullptr;
};

} // namespace functions
} // namespace qv
