// Commands around a test run: reset with the I/O check, build information,
// current control and identification contacts.

#include "board.h"
#include "boardrun.h"
#include "infra/unitcodes.h"
#include "session.h"
#include "unitstate.h"

#include <algorithm>

namespace qv::sim {

namespace {

void Reset(Session &session, const Request &request)
{
    const auto &d = request.data;
    if (d.size() > 1 || (d.size() == 1 && d[0] != 1)) {
        session.FailMalformed(request);
        return;
    }
    UnitState &state = session.State();
    // A reset also ends a device program still running (a continuous run
    // whose host stopped asking for passes).
    if (state.run)
        state.run->Abandon();
    state.run.reset();
    state.generatingPeriod = 0;
    state.generatingParameter = -1;
    state.waitTestRunning = false;
    state.alarmArmed = false;
    ++state.resets;
    state.lastResetChecked = d.size() == 1;
    const auto &faults = session.GetBoard().ioFaults;
    if (!state.lastResetChecked || faults.empty()) {
        session.Ack(request);
        return;
    }
    std::string text = "Неисправны каналы:";
    for (const auto channel : faults)
        text.append(" ").append(std::to_string(channel));
    session.Warn(request, 1, text);
}

void BuildInfo(Session &session, const Request &request)
{
    const Board &b = session.GetBoard();
    // An MS-DOS unit reports its month counted from 0, an ARM unit from 1.
    const int month = b.type == UnitTypeMsDos ? b.month - 1 : b.month;
    std::vector<std::uint8_t> answer{static_cast<std::uint8_t>(b.type),
                                     static_cast<std::uint8_t>(b.year >> 8),
                                     static_cast<std::uint8_t>(b.year),
                                     static_cast<std::uint8_t>(b.day),
                                     static_cast<std::uint8_t>(month),
                                     static_cast<std::uint8_t>(b.hour),
                                     static_cast<std::uint8_t>(b.minute),
                                     static_cast<std::uint8_t>(b.second),
                                     static_cast<std::uint8_t>(b.versions.size())};
    for (const auto &pair : b.versions)
        answer.insert(answer.end(), pair.begin(), pair.end());
    session.Data(request, answer);
}

void MeasureCurrents(Session &session, const Request &request)
{
    const auto &supplies = session.GetBoard().supplies;
    const bool passed = std::all_of(supplies.begin(), supplies.end(),
                                    [](const Supply &s) { return s.currentMa <= s.limitMa; });
    std::vector<std::uint8_t> answer{static_cast<std::uint8_t>(passed ? 1 : 0),
                                     static_cast<std::uint8_t>(supplies.size())};
    for (const auto &supply : supplies) {
        AppendLe16(answer, static_cast<std::uint16_t>(supply.currentMa));
        AppendLe16(answer, static_cast<std::uint16_t>(supply.limitMa));
    }
    session.Data(request, answer);
}

void ArmAlarm(Session &session, const Request &request)
{
    session.State().alarmArmed = true;
    session.Ack(request);
    if (const int after = session.GetBoard().alarmAfterMs; after > 0) {
        session.After(std::chrono::milliseconds(after), [](Session &s) {
            if (!s.State().alarmArmed)
                return;
            s.State().alarmArmed = false;
            s.Notify(UKT, kCurrentAlarm, {});
        });
    }
}

void Currents(Session &session, const Request &request)
{
    const int operation = request.data.size() == 1 ? request.data[0] : 0;
    switch (static_cast<CurrentControlOp>(operation)) {
    case CurrentControlOp::Measure:
    case CurrentControlOp::MeasureBeforeRun:
        MeasureCurrents(session, request);
        return;
    case CurrentControlOp::ArmAlarm:
        ArmAlarm(session, request);
        return;
    case CurrentControlOp::Disarm:
        session.State().alarmArmed = false;
        session.Ack(request);
        return;
    default:
        session.FailMalformed(request);
    }
}

void IdentificationContacts(Session &session, const Request &request)
{
    const auto &d = request.data;
    if (d.size() % 2 != 0 || d.size() > 380) {
        session.FailMalformed(request);
        return;
    }
    const Board &board = session.GetBoard();
    std::vector<std::uint8_t> statuses;
    for (std::size_t i = 0; i < d.size(); i += 2)
        statuses.push_back(board.wrongContacts.contains(Le16(d.data() + i)) ? 2 : 1);
    const bool allLow =
        std::all_of(statuses.begin(), statuses.end(), [](auto s) { return s == 1; });
    if (allLow && !board.identificationAlwaysStatuses) {
        session.Data(request, std::vector<std::uint8_t>{'O', 'K'});
        return;
    }
    if (board.identificationAnswerLimit >= 0 &&
        statuses.size() > static_cast<std::size_t>(board.identificationAnswerLimit))
        statuses.resize(static_cast<std::size_t>(board.identificationAnswerLimit));
    session.Data(request, statuses);
}

} // namespace

void RegisterTestCommands(CommandTable &table)
{
    table.Set(QORV_RESET, Reset);
    table.Set(BUILD_INFO, BuildInfo);
    table.Set(UKT, Currents);
    table.Set(QORV_CNTID, IdentificationContacts);
}

} // namespace qv::sim
