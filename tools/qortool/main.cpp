// qortool: the bench's command-line tool. It drives the same model and
// execution code as the operator program.

#include "commands.h"
#include "infra/version.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

void PrintHelp()
{
    std::cout << "qortool " << qv::kProductVersion << " - инструмент командной строки "
              << qv::kProductName << "\n\n"
              << "Использование: qortool КОМАНДА [АРГУМЕНТЫ...]\n\n"
              << "Команды:\n";
    for (const auto &command : qortool::Commands()) {
        std::cout << "  " << command.name << ' ' << command.usage << "\n      " << command.summary
                  << "\n";
    }
    std::cout << "  --version\n      версия программы\n"
              << "  --help\n      эта справка\n\n"
              << "Код завершения: 0 - успех, 1 - файл или операция отклонены, "
                 "2 - неверные аргументы.\n"
              << "Справка по команде: qortool КОМАНДА --help (коды завершения run - там же).\n";
}

void PrintCommandHelp(const qortool::Command &command)
{
    std::cout << "Использование: qortool " << command.name << ' ' << command.usage << "\n\n"
              << command.summary << "\n";
    if (const auto details = qortool::CommandDetails(command.name); !details.empty())
        std::cout << "\n" << details;
}

// What a command printed must have reached its destination: a full device
// or a closed pipe on standard output fails the command, whatever it said.
int CheckedOutput(const std::string &name, int code)
{
    errno = 0;
    std::cout.flush();
    if (std::cout) {
        return code;
    }
    const int error = errno;
    std::cerr << "qortool " << name << ": не удалось записать в стандартный вывод";
    if (error != 0) {
        std::cerr << " (" << std::strerror(error) << ")";
    }
    std::cerr << "\n";
    return code == qortool::ExitOk ? qortool::ExitRefused : code;
}

} // namespace

int main(int argc, char *argv[])
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintHelp();
        return qortool::ExitUsage;
    }
    const std::string &name = args.front();
    if (name == "--help" || name == "-h" || name == "help") {
        PrintHelp();
        return qortool::ExitOk;
    }
    if (name == "--version") {
        std::cout << "qortool " << qv::kProductVersion << "\n";
        return qortool::ExitOk;
    }
    for (const auto &command : qortool::Commands()) {
        if (command.name == name) {
            if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h")) {
                PrintCommandHelp(command);
                return qortool::ExitOk;
            }
            try {
                const int code = command.run(std::span<const std::string>(args).subspan(1));
                return CheckedOutput(name, code);
            } catch (const std::bad_alloc &) {
                std::cerr << "qortool " << name << ": недостаточно памяти для выполнения команды\n";
                return qortool::ExitRefused;
            } catch (const std::exception &e) {
                std::cerr << "qortool " << name << ": " << e.what() << "\n";
                return qortool::ExitRefused;
            }
        }
    }
    std::cerr << "qortool: неизвестная команда \"" << name << "\". См. qortool --help\n";
    return qortool::ExitUsage;
}
