// qortool export: one test as a value change dump for waveform viewers or
// as CSV for spreadsheets, written by the same code as the main window's
// "Экспорт…". With --run the test first runs on the unit, so that the
// export carries the values read.

#include "commands.h"
#include "model/document/quorvik.h"
#include "model/export/testexport.h"
#include "session.h"
#include "unitcommand.h"
#include "unitrunner.h"

#include <iostream>

namespace qortool {

int RunExport(std::span<const std::string> args)
{
    const Command &command = CommandNamed("export");
    std::set<std::string> values = kSessionValueOptions;
    values.insert({"-o", "--test", "--format", "--unit", "--board"});
    std::set<std::string> flags = kSessionFlagOptions;
    flags.insert("--run");
    const auto parsed = ParseCommandArgs(command, args, values, flags, 1, "нужен один файл тестов");
    if (!parsed)
        return ExitUsage;
    const auto output = parsed->Value("-o");
    if (!output)
        return UsageError(command, "нужен выходной файл: -o ФАЙЛ");
    const auto format = qv::ExportFormatNamed(parsed->Value("--format").value_or(""));
    if (!format)
        return UsageError(command, "формат --format: vcd или csv");
    const auto testNumber = ParseInt(parsed->Value("--test").value_or("1"));
    if (!testNumber || *testNumber < 1)
        return UsageError(command, "номер теста --test - целое число от 1");
    const bool run = parsed->Has("--run");
    if (!run && (parsed->Value("--unit") || parsed->Value("--board")))
        return UsageError(command, "--unit и --board годятся только с --run");

    const auto app = EnsureCoreApplication();
    Session session(*parsed);
    qv::TQuorvik &document = session.Document();
    if (!session.LoadWithTest(command.name, parsed->positional.front(), *testNumber))
        return ExitRefused;
    if (run) {
        const auto verdict = RunBeforeOutput(document, UnitAddressOf(*parsed));
        if (!verdict)
            return Refused(command.name, "запуск теста не выполнен, файл не записан");
        std::cout << *verdict << "\n";
    }
    if (const auto problem = qv::ExportTest(document, *testNumber - 1, *format, *output))
        return Refused(command.name, *problem);
    if (*output != "-")
        std::cout << *output << "\n";
    return ExitOk;
}

} // namespace qortool
