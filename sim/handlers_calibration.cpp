// Calibration: the measured periods of a type-1 unit (QORV_CALIBR 1-3 and
// the measurement signals QORV_GET_T1/T2/T3), the parameters, test signals
// and wait table of a type-0 unit (QORV_CALIBR 1, 2, 4, 5, 6).

#include "board.h"
#include "infra/encoding.h"
#include "infra/unitcodes.h"
#include "session.h"
#include "unitstate.h"

#include <cmath>

namespace qv::sim {

namespace {

void MeasurementSignal(Session &session, const Request &request)
{
    if (session.GetBoard().type != UnitTypeMsDos) {
        session.Fail(request, kErrNotAvailable, "Измерение периодов выполняет только блок MS-DOS");
        return;
    }
    if (request.data.size() != 1 || request.data[0] > 1) {
        session.FailMalformed(request);
        return;
    }
    UnitState &state = session.State();
    if (request.data[0] == 0)
        state.generatingPeriod = request.code;
    else if (state.generatingPeriod == request.code)
        state.generatingPeriod = 0;
    session.Ack(request);
}

void Periods(Session &session, const Request &request, int operation)
{
    UnitState &state = session.State();
    if (operation == 1 && request.data.size() == 1) {
        std::vector<std::uint8_t> answer;
        for (const auto &period : state.appliedPeriods) {
            if (period)
                AppendFloat(answer, *period);
            else
                AppendLe32(answer, 0xFFFFFFFFu);
        }
        session.Data(request, answer);
        return;
    }
    if ((operation == 2 || operation == 3) && request.data.size() == 13) {
        // A period sent back as "not available" (all bits set) stays so.
        for (std::size_t i = 0; i < 3; ++i) {
            const float period = LeFloat(request.data.data() + 1 + 4 * i);
            state.appliedPeriods[i] =
                std::isnan(period) ? std::nullopt : std::optional<float>(period);
        }
        if (operation == 3)
            state.savedPeriods = state.appliedPeriods;
        session.Ack(request);
        return;
    }
    session.FailMalformed(request);
}

void ParameterList(Session &session, const Request &request)
{
    const auto &parameters = session.GetBoard().parameters;
    std::vector<std::uint8_t> answer{static_cast<std::uint8_t>(parameters.size())};
    for (const auto &parameter : parameters) {
        const std::string name = Utf8ToCp1251(parameter.name); // checked when the board was read
        answer.push_back(static_cast<std::uint8_t>(name.size()));
        answer.insert(answer.end(), name.begin(), name.end());
        AppendFloat(answer, parameter.value);
    }
    session.Data(request, answer);
}

void WaitTable(Session &session, const Request &request)
{
    const Board &board = session.GetBoard();
    std::vector<std::uint8_t> answer{7};
    for (const float value : board.waitT0)
        AppendFloat(answer, value);
    for (const float value : board.waitTinc)
        AppendFloat(answer, value);
    session.Data(request, answer);
}

void Parameters(Session &session, const Request &request, int operation)
{
    const auto &d = request.data;
    UnitState &state = session.State();
    const std::uint8_t done = static_cast<std::uint8_t>(operation);
    if (operation == 1 && d.size() == 1) {
        ParameterList(session, request);
    } else if (operation == 2 && d.size() == 2) {
        const bool known = d[1] < session.GetBoard().parameters.size();
        state.generatingParameter = known ? d[1] : -1;
        session.Data(request, std::vector<std::uint8_t>{static_cast<std::uint8_t>(known ? 3 : 0)});
    } else if (operation == 4 && d.size() == 1) {
        state.generatingParameter = -1;
        state.waitTestRunning = false;
        session.Data(request, std::vector<std::uint8_t>{done});
    } else if (operation == 5 && d.size() == 5 && d[1] <= 1 && d[2] >= 1 && d[2] <= 16 &&
               Le16(d.data() + 3) >= 1) {
        state.waitTestRunning = true;
        session.Data(request, std::vector<std::uint8_t>{done});
    } else if (operation == 6 && d.size() == 1) {
        WaitTable(session, request);
    } else {
        session.FailMalformed(request);
    }
}

void Calibration(Session &session, const Request &request)
{
    if (request.data.empty()) {
        session.FailMalformed(request);
        return;
    }
    const int operation = request.data[0];
    const bool msdos = session.GetBoard().type == UnitTypeMsDos;
    const bool known = msdos
                           ? operation >= 1 && operation <= 3
                           : operation == 1 || operation == 2 || (operation >= 4 && operation <= 6);
    if (!known) {
        session.Fail(request, kErrNotAvailable,
                     "Операция калибровки " + std::to_string(operation) +
                         " не поддерживается блоком этого типа");
        return;
    }
    if (msdos)
        Periods(session, request, operation);
    else
        Parameters(session, request, operation);
}

} // namespace

void RegisterCalibrationCommands(CommandTable &table)
{
    table.Set(QORV_CALIBR, Calibration);
    table.Set(QORV_GET_T1, MeasurementSignal);
    table.Set(QORV_GET_T2, MeasurementSignal);
    table.Set(QORV_GET_T3, MeasurementSignal);
}

} // namespace qv::sim
