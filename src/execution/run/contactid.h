#pragma once

// The contact identification check. An adapter marks some contacts as
// identification contacts (their name in the contact file is exactly
// "#i"); before a run the board must hold a low level on each of them,
// which proves that the right board sits in the right adapter. The unit
// reads those contacts (QORV_CNTID) and the check window shows the result
// per contact.

#include "infra/notice.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

class IComPort;
class TQuorvik;

struct IdContact
{
    enum Status : int { Unknown = 0, Correct = 1 }; // any other value: wrong
    int index = 0;                                  // 0-based contact index
    std::string label;                              // the contact on the unit's connector ("X2:b2")
    std::uint16_t code = 0;                         // the unit's channel code
    int status = Unknown;
};

// "X" (+ "1" or "2" on a type-1 unit) ":" row letter and number.
std::string ConnectorLabel(int index, bool dosUnit);
// The identification contacts of the document, in contact order up to the
// adapter's contact count.
std::vector<IdContact> IdentificationContacts(const TQuorvik &doc, bool dosUnit);

class IdContactCheck
{
public:
    static constexpr std::size_t kMaxRequest = 190;

    IdContactCheck(IComPort &port, std::vector<IdContact> contacts);

    // Asks the unit and fills the statuses; true when the check passed. A
    // port failure (shown by the port) fails it with every status unknown.
    bool Request();
    bool Passed() const { return m_passed; }
    // Whether the unit answered the last request (false after a port
    // failure); a window tells a failed exchange from failed contacts by it.
    bool Answered() const { return m_answered; }
    const std::vector<IdContact> &Contacts() const { return m_contacts; }

private:
    IComPort &m_port;
    std::vector<IdContact> m_contacts;
    bool m_passed = false;
    bool m_answered = false;
};

// The check window: shows the table, runs Request shortly after it is
// shown, closes by itself after a pass and waits for "Закрыть" after a
// failure. Returns the pass mark.
class IdCheckView
{
public:
    virtual ~IdCheckView() = default;
    virtual bool Exec(IdContactCheck &check) = 0;
};

// Passed at once without identification contacts. More contacts than the
// unit can read in one request fail, told to `notices`. view null: the
// check runs without a window.
bool CheckIdContacts(const TQuorvik &doc, IComPort &port, bool dosUnit, IdCheckView *view,
                     const NoticeSink &notices);

// The window's texts.
inline constexpr const char *kIdCheckText =
    "В тесте заданы контакты идентификации. Перед запуском теста на контактах идентификации\r\n"
    "должен быть задан нулевой уровень.";
std::string IdStatusText(int status); // "OK", "ошибка" or ""

} // namespace qv
