#include "execution/run/contactid.h"

#include "execution/compiler/dosdata.h"
#include "execution/port/comport.h"
#include "infra/notice.h"
#include "infra/plural.h"
#include "infra/unitcodes.h"
#include "model/document/quorvik.h"

#include <algorithm>

namespace qv {

std::string ConnectorLabel(int index, bool dosUnit)
{
    const int q = index / 32;
    std::string label = "X";
    if (dosUnit)
        label += q > 2 ? "1" : "2";
    label += ':';
    label += "cba"[q % 3];
    label += std::to_string(index % 32 + 1);
    return label;
}

std::vector<IdContact> IdentificationContacts(const TQuorvik &doc, bool dosUnit)
{
    std::vector<IdContact> contacts;
    const int count = std::clamp(doc.AdapterContacts(), 0, static_cast<int>(kMaxContacts));
    for (int i = 0; i < count; ++i) {
        if (doc.Cnt().Names[static_cast<std::size_t>(i)] != "#i")
            continue;
        contacts.push_back({i, ConnectorLabel(i, dosUnit), UnitChannelCode(i, dosUnit)});
    }
    return contacts;
}

IdContactCheck::IdContactCheck(IComPort &port, std::vector<IdContact> contacts)
    : m_port(port)
    , m_contacts(std::move(contacts))
{}

bool IdContactCheck::Request()
{
    m_passed = false;
    m_answered = false;
    for (IdContact &contact : m_contacts)
        contact.status = IdContact::Unknown;
    const std::size_t count = std::min(m_contacts.size(), kMaxRequest);
    std::vector<std::uint8_t> request;
    request.reserve(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        request.push_back(static_cast<std::uint8_t>(m_contacts[i].code & 0xFF));
        request.push_back(static_cast<std::uint8_t>(m_contacts[i].code >> 8));
    }
    if (m_port.Send(QORV_CNTID, request) != PortOk)
        return false;
    if (!PortSucceeded(m_port.WaitData(QORV_CNTID, kPortDefaultTimeout)))
        return false;
    const std::vector<std::uint8_t> answer = m_port.AnswerData();
    m_answered = true;
    m_passed = true;
    if (answer.size() == 2 && answer[0] == 'O' && answer[1] == 'K') {
        for (IdContact &contact : m_contacts)
            contact.status = IdContact::Correct;
        return true;
    }
    const std::size_t known = std::min(answer.size(), m_contacts.size());
    for (std::size_t i = 0; i < known; ++i) {
        m_contacts[i].status = answer[i];
        if (answer[i] != IdContact::Correct)
            m_passed = false;
    }
    return m_passed;
}

bool CheckIdContacts(const TQuorvik &doc, IComPort &port, bool dosUnit, IdCheckView *view,
                     const NoticeSink &notices)
{
    std::vector<IdContact> contacts = IdentificationContacts(doc, dosUnit);
    if (contacts.empty())
        return true;
    if (contacts.size() > IdContactCheck::kMaxRequest) {
        Tell(notices,
             {NoticeKind::Error,
              "В тесте " + Counted(static_cast<std::int64_t>(contacts.size()), kContactNoun) +
                  " идентификации, а блок диагностики проверяет не более " +
                  std::to_string(IdContactCheck::kMaxRequest) + ".\r\nЗапуск теста невозможен.",
              "Пуск"});
        return false;
    }
    IdContactCheck check(port, std::move(contacts));
    if (view != nullptr)
        return view->Exec(check);
    return check.Request();
}

std::string IdStatusText(int status)
{
    if (status == IdContact::Unknown)
        return {};
    return status == IdContact::Correct ? "OK" : "ошибка";
}

} // namespace qv
