// qortool compile: the unit's program image of one test (with the tests it
// calls) or of every test, as the run window would send it.

#include "args.h"
#include "commands.h"
#include "execution/compiler/dosdata.h"
#include "infra/notice.h"
#include "infra/plural.h"
#include "session.h"

#include <filesystem>
#include <iostream>

namespace qortool {

int RunCompile(std::span<const std::string> args)
{
    const Command &command = CommandNamed("compile");
    std::set<std::string> values = kSessionValueOptions;
    values.insert({"--test", "--cycle", "--first", "--last", "--unit-type", "-o"});
    std::set<std::string> flags = kSessionFlagOptions;
    flags.insert({"--all", "--debug", "--probe"});
    const auto parsed = ParseCommandArgs(command, args, values, flags, 1, "нужен один файл тестов");
    if (!parsed)
        return ExitUsage;
    const auto output = parsed->Value("-o");
    const auto test = IntOption(*parsed, "--test", 1);
    if (!output)
        return UsageError(command, "нужен -o ОБРАЗ");
    if (test.has_value() == parsed->Has("--all"))
        return UsageError(command, "нужен либо --test N, либо --all");
    const auto unitType = parsed->Value("--unit-type").value_or("msdos");
    if (unitType != "arm" && unitType != "msdos")
        return UsageError(command, "--unit-type: arm или msdos");
    const bool debug = parsed->Has("--debug");
    if (debug && parsed->Has("--all"))
        return UsageError(command, "отладка возможна только для одного теста");

    Session session(*parsed);
    qv::TQuorvik &document = session.Document();
    const std::string &path = parsed->positional.front();
    if (!session.Load(path))
        return Refused(command.name, "файл не загружен");
    if (test && (*test < 1 || *test > document.Doc().NTest))
        return Refused(command.name, "в файле " + qv::Counted(document.Doc().NTest, qv::kTestNoun) +
                                         ", --test вне этого диапазона");
    document.SelectTest(test ? *test - 1 : -1);
    qv::RunOptions options;
    options.debug = debug;
    options.probe = parsed->Has("--probe");
    options.dosUnit = unitType == "msdos";
    if (debug) {
        qv::STest &t = *document.Test(*test - 1);
        const auto cycle = IntOption(*parsed, "--cycle", 1).value_or(1);
        const auto first = IntOption(*parsed, "--first", 1).value_or(1);
        const auto last = IntOption(*parsed, "--last", 1).value_or(t.Tacts.TactCount());
        if (cycle < 1 || cycle > t.Cycles || first < 1 || last < first ||
            last > t.Tacts.TactCount())
            return Refused(command.name, "цикл или такты отладки вне диаграммы теста");
        t.ActiveCycle = cycle - 1;
        t.DebugFirst = first - 1;
        t.DebugLast = last - 1;
    }
    qv::Dosdata compiler(document, options, std::filesystem::u8path(path).parent_path());
    compiler.SetNotices(qv::MessageBoxNotices());
    std::vector<std::uint8_t> image(qv::kProgramBufferSize);
    std::size_t length = 0;
    if (!compiler.Compile(image, length))
        return Refused(command.name, compiler.FailureText());
    const int written =
        WriteResult(command.name, *output,
                    std::string_view(reinterpret_cast<const char *>(image.data()), length));
    if (written != ExitOk)
        return written;
    std::cout << "Образ: " << qv::Counted(static_cast<std::int64_t>(length), qv::kByteNoun)
              << ", тестов: " << compiler.RunList().size() << "\n";
    for (const auto &file : compiler.DataFiles())
        std::cout << "Файл данных: " << file.filename().string() << "\n";
    return ExitOk;
}

} // namespace qortool
