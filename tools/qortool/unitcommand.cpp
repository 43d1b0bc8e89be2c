#include "unitcommand.h"

#include "execution/port/comport.h"
#include "execution/port/portavo.h"
#include "execution/port/testerport.h"
#include "infra/mesbo.h"
#include "infra/notice.h"
#include "infra/version.h"

#include <QCoreApplication>
#include <iostream>
#include <memory>
#include <optional>

namespace qortool {

namespace {

const Command &UnitCommand()
{
    for (const auto &command : Commands()) {
        if (command.name == "unit")
            return command;
    }
    static const Command none{};
    return none;
}

struct UnitOptions
{
    std::string action;
    std::string address{"sim"};
    std::string board;
    std::optional<int> timeout;
    bool ioCheck = false;
};

std::optional<UnitOptions> ParseOptions(std::span<const std::string> args, std::string *problem)
{
    UnitOptions options;
    if (args.empty()) {
        *problem = "не указано действие (info или check)";
        return std::nullopt;
    }
    options.action = args[0];
    if (options.action != "info" && options.action != "check") {
        *problem = "неизвестное действие \"" + options.action + "\"";
        return std::nullopt;
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--unit" && hasValue) {
            options.address = args[++i];
        } else if (arg == "--board" && hasValue) {
            options.board = args[++i];
        } else if (arg == "--timeout" && hasValue) {
            const auto ms = ParseInt(args[++i]);
            if (!ms || *ms < 1) {
                *problem = "--timeout ждёт число миллисекунд";
                return std::nullopt;
            }
            options.timeout = *ms;
        } else if (arg == "--io-check" && options.action == "check") {
            options.ioCheck = true;
        } else {
            *problem = "непонятный аргумент \"" + arg + "\"";
            return std::nullopt;
        }
    }
    if (!options.board.empty()) {
        if (options.address != "sim") {
            *problem = "--board задаёт плату симулятора и годится только с --unit sim";
            return std::nullopt;
        }
        options.address = "sim:" + options.board;
    }
    return options;
}

std::string Lines(std::string text)
{
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return text;
}

std::string Describe(int code, const qv::IComPort &port)
{
    if (code == qv::PortOk)
        return "в порядке";
    if (code == qv::PortWarning)
        return "предупреждение: " + Lines(port.GetError());
    return "ошибка " + std::to_string(code) + ": " + Lines(port.GetError());
}

int Info(qv::TCP &tester)
{
    const qv::SComPort port = tester.Port();
    int code = 0;
    if (!tester.Connect(true, false, &code)) {
        std::cerr << "qortool unit: " << Lines(port->GetError()) << "\n";
        return ExitRefused;
    }
    tester.ReadBuildInfo();
    const std::string info = tester.BuildInfo();
    if (info.empty()) {
        std::cerr << "qortool unit: блок диагностики не сообщил сведения о сборке\n";
        return ExitRefused;
    }
    std::cout << Lines(info) << "\n";
    return ExitOk;
}

int Check(qv::TCP &tester, const UnitOptions &options)
{
    const qv::SComPort port = tester.Port();
    std::cout << "Адрес блока диагностики: " << options.address << "\n";
    int code = qv::PortNoLink; // stays so when the unit is not found at all
    const bool linked = tester.Connect(true, false, &code);
    std::cout << "Связь (INIT): " << Describe(code, *port) << "\n";
    if (!linked)
        return ExitRefused;
    code = tester.Reset(options.ioCheck, options.ioCheck ? 1 : 0);
    std::cout << "Сброс (QORV_RESET" << (options.ioCheck ? ", контроль входов/выходов" : "")
              << "): " << Describe(code, *port) << "\n";
    if (!tester.BuildInfo().empty())
        std::cout << Lines(tester.BuildInfo()) << "\n";
    if (const auto *portavo = dynamic_cast<const qv::Portavo *>(port.get())) {
        const auto stats = portavo->LinkStatistics();
        std::cout << "Кадров принято: " << stats.frames
                  << ", отброшено байт: " << stats.bytesDropped << "\n";
    }
    return qv::PortSucceeded(code) ? ExitOk : ExitRefused;
}

} // namespace

std::unique_ptr<QCoreApplication> EnsureCoreApplication()
{
    static int argc = 1;
    static char name[] = "qortool";
    static char *argv[] = {name, nullptr};
    if (QCoreApplication::instance() != nullptr)
        return nullptr;
    return std::make_unique<QCoreApplication>(argc, argv);
}

int RunUnit(std::span<const std::string> args)
{
    std::string problem;
    const auto options = ParseOptions(args, &problem);
    if (!options)
        return UsageError(UnitCommand(), problem);

    const auto app = EnsureCoreApplication();

    auto messages = std::make_unique<qv::ScriptedMesbo>();
    messages->SetEcho([](const qv::ScriptedMesbo::Shown &shown) {
        std::cerr << "qortool unit: " << Lines(shown.text) << "\n";
    });
    auto previous = qv::InstallMesbo(std::move(messages));

    int result = ExitRefused;
    {
        qv::TCP tester;
        tester.SetNotices(qv::MessageBoxNotices()); // printed by the echo above
        qv::TesterSettings settings = tester.Settings();
        settings.address = options->address;
        tester.SetSettings(settings);
        if (tester.Create(qv::kProductName)) {
            const qv::SComPort port = tester.Port();
            port->SetVoice(qv::PortVoice::Quiet); // failures are printed with the result
            if (options->timeout)
                port->SetTimeout(*options->timeout);
            result = options->action == "info" ? Info(tester) : Check(tester, *options);
        }
    }
    qv::InstallMesbo(std::move(previous));
    return result;
}

} // namespace qortool
