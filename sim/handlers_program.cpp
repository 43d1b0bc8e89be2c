// Device programs: QORV_DATA starts a run on the simulated board, QORV_CANCEL
// stops it (the results go out with code 13), QORV_RETRY starts the next
// pass of a continuous run that reports every pass.

#include "boardrun.h"
#include "commands.h"
#include "infra/unitcodes.h"
#include "session.h"
#include "unitstate.h"

namespace qv::sim {

namespace {

std::shared_ptr<BoardRun> ActiveRun(Session &session)
{
    auto &run = session.State().run;
    if (run && (run->Finished() || !run->OwnedBy(session)))
        run.reset();
    return run;
}

void DeviceProgram(Session &session, const Request &request)
{
    if (ActiveRun(session)) {
        session.Fail(request, kErrBusy, "Блок диагностики уже выполняет программу теста");
        return;
    }
    std::string why;
    auto program = ReadProgram(request.data, &why);
    if (!program) {
        session.Fail(request, kErrMalformed, "Программа теста повреждена: " + why);
        return;
    }
    // Every block a run makes must fit the board's memory before it is made.
    const std::uint64_t memory = session.GetBoard().storeLimit;
    for (const ProgTest &test : program->tests) {
        for (const ProgF &f : test.fFuncs) {
            if (RangeBytes(f) > memory) {
                session.Fail(request, kErrNoMemory,
                             "Диапазон F-функции " + std::to_string(f.number) + " (" +
                                 std::to_string(RangeBytes(f)) +
                                 " байт) не помещается в память блока диагностики (" +
                                 std::to_string(memory) + " байт)");
                return;
            }
        }
    }
    session.State().lastProgram = std::make_shared<const Program>(*program);
    auto run = std::make_shared<BoardRun>(std::move(*program), session.GetBoard());
    session.State().run = run;
    session.Ack(request);
    run->Start(session);
}

void CancelProgram(Session &session, const Request &request)
{
    session.Ack(request);
    if (auto run = ActiveRun(session))
        run->Cancel(session);
}

void RetryProgram(Session &session, const Request &request)
{
    ++session.State().retries;
    session.Ack(request);
    if (auto run = ActiveRun(session))
        run->Retry(session);
}

} // namespace

void RegisterProgramCommands(CommandTable &table)
{
    table.Set(QORV_DATA, DeviceProgram);
    table.Set(QORV_CANCEL, CancelProgram);
    table.Set(QORV_RETRY, RetryProgram);
}

} // namespace qv::sim
