// qortool coverage: which single faults of the adapter's contacts the
// tests of a file can detect, from the references alone (no unit): per
// contact a test drives or reads, a stuck-at-0, a stuck-at-1 and a short
// with each neighbour on the same bus; the total share detected and the
// contacts no test can see.

#include "args.h"
#include "commands.h"
#include "model/diagnosis/coveragetext.h"
#include "model/test/stest.h"
#include "session.h"

#include <iostream>

namespace qortool {

int RunCoverage(std::span<const std::string> args)
{
    const Command &command = CommandNamed("coverage");
    std::set<std::string> values = kSessionValueOptions;
    values.insert({"--test", "--format"});
    const auto parsed =
        ParseCommandArgs(command, args, values, kSessionFlagOptions, 1, "нужен один файл тестов");
    if (!parsed)
        return ExitUsage;
    const std::string format = parsed->Value("--format").value_or("table");
    if (format != "table" && format != "json")
        return UsageError(command, "--format: table или json");
    const auto test = IntOption(*parsed, "--test", 1);
    if (test && (*test < 1 || *test > qv::kMaxTests))
        return UsageError(command, "--test: номер теста от 1 до 20");
    Session session(*parsed);
    qv::TQuorvik &document = session.Document();
    if (!session.Load(parsed->positional.front()))
        return Refused(command.name,
                       session.PasswordMissing() ? Session::kPasswordMissing : "файл не загружен");
    const qv::SQor &file = document.Doc();
    std::vector<int> tests;
    if (test) {
        if (*test > file.NTest)
            return Refused(command.name, "в файле нет теста №" + std::to_string(*test));
        tests.push_back(*test - 1);
    } else {
        for (int t = 0; t < file.NTest; ++t)
            tests.push_back(t);
    }
    const qv::diagnosis::Coverage coverage = qv::diagnosis::CoverageOf(file, tests);
    if (format == "json") {
        std::cout << qv::diagnosis::CoverageJson(coverage, document.Cnt().Names);
        return ExitOk;
    }
    std::cout << "Покрытие неисправностей, "
              << (test ? "тест №" + std::to_string(*test) : std::string("все тесты файла"))
              << ":\n";
    for (const std::string &line : qv::diagnosis::CoverageLines(coverage, document.Cnt().Names))
        std::cout << line << "\n";
    return ExitOk;
}

} // namespace qortool
