#include "commands.h"

#include "model/errors.h"
#include "model/filestore.h"
#include "unitcommand.h"

#include <array>
#include <iostream>
#include <stdexcept>
#include <string>

namespace qortool {

std::span<const Command> Commands()
{
    static const std::array commands{
        Command{"pack", "DUMP -o ФАЙЛ.QOR", "упаковать текстовый дамп в файл тестов", RunPack},
        Command{"unpack", "ФАЙЛ.QOR [-o DUMP] [--password ПАРОЛЬ]",
                "распаковать файл тестов в текстовый дамп", RunUnpack},
        Command{"cnt-pack", "DUMP -o ФАЙЛ.CNT", "упаковать дамп контактов в файл контактов",
                RunCntPack},
        Command{"cnt-unpack", "ФАЙЛ.CNT [-o DUMP]", "распаковать файл контактов в дамп",
                RunCntUnpack},
        Command{"info", "ФАЙЛ.QOR [--password ПАРОЛЬ]",
                "загрузить файл тестов и показать его данные и список тестов", RunInfo},
        Command{"verify", "ФАЙЛ.QOR [--password ПАРОЛЬ]",
                "загрузить файл тестов и вывести OK или строки лога загрузки", RunVerify},
        Command{
            "resave",
            "ФАЙЛ.QOR [-o ВЫХОД.QOR] [--password ПАРОЛЬ] [--write-password ПАРОЛЬ] [--yes]",
            "загрузить и записать файл тестов заново (заменяемый файл сохраняется как ФАЙЛ.bak)",
            RunResave},
        Command{"sco-pack", "DUMP -o ФАЙЛ.sco", "упаковать текстовый дамп в файл осциллограмм",
                RunScoPack},
        Command{"sco-unpack", "ФАЙЛ.sco [-o DUMP]", "распаковать файл осциллограмм в дамп",
                RunScoUnpack},
        Command{"dat-pack", "DUMP -o ФАЙЛ.dat", "упаковать текстовый дамп в файл данных функции",
                RunDatPack},
        Command{"compile",
                "ФАЙЛ.QOR (--test N | --all) [--debug --cycle C --first F --last L] [--probe] "
                "[--unit-type arm|msdos] -o ОБРАЗ",
                "образ программы теста для блока диагностики", RunCompile},
        Command{"disasm", "ОБРАЗ", "разбор образа программы теста", RunDisasm},
        Command{"render",
                "ФАЙЛ.QOR [--test N] [--view diagram|table] [--full] [--width W] -o ВЫХОД.png|.pdf "
                "[--run [--unit АДРЕС] [--board ФАЙЛ]] [--password ПАРОЛЬ]",
                "нарисовать диаграмму или таблицу теста N (от 1) в PNG или PDF; --full - "
                "расширенная таблица; --run - после запуска теста на блоке диагностики",
                RunRender},
        Command{"run",
                "ФАЙЛ.QOR [--test N | --all] [--continuous [--passes N] [--keep-going]] "
                "[--debug --cycle C --first F --last L] [--unit АДРЕС] [--board ФАЙЛ] "
                "[--answer yes|no] [--timeout МС] [--password ПАРОЛЬ] [--report ОТЧЕТ.json]",
                "выполнить тест N (от 1) или все тесты на блоке диагностики; код выхода 0 - "
                "успешно, 1 - ошибки или прерван, 2 - запуск не выполнен",
                RunRun},
        Command{"unit", "info|check [--unit АДРЕС] [--board ФАЙЛ] [--timeout МС] [--io-check]",
                "сведения о сборке блока диагностики (info); связь и сброс блока (check); "
                "АДРЕС: sim, tcp://УЗЕЛ:ПОРТ, serial:/dev/ttyACM0",
                RunUnit},
    };
    return commands;
}

const Command &CommandNamed(std::string_view name)
{
    for (const auto &command : Commands()) {
        if (command.name == name) {
            return command;
        }
    }
    throw std::logic_error("qortool: no command " + std::string(name));
}

std::optional<ParsedArgs> ParseCommandArgs(const Command &command,
                                           std::span<const std::string> args,
                                           const std::set<std::string> &valueOptions,
                                           const std::set<std::string> &flagOptions,
                                           std::size_t positionalCount,
                                           std::string_view positionalProblem)
{
    std::string problem;
    auto parsed = ParseArgs(args, valueOptions, flagOptions, &problem);
    if (parsed && parsed->positional.size() != positionalCount) {
        problem = positionalProblem;
        parsed.reset();
    }
    if (!parsed) {
        UsageError(command, problem);
    }
    return parsed;
}

std::optional<std::string> ReadInput(std::string_view name, const std::string &path)
{
    auto text = ReadFileBytes(path);
    if (!text) {
        Refused(name, "Нет доступа к файлу или файл отсутствует: " + path);
    }
    return text;
}

int WriteResult(std::string_view name, const std::string &path, std::string_view bytes)
{
    try {
        qv::FileStore().Replace(path, bytes);
    } catch (const qv::WriteFailure &) {
        return Refused(name, path + ": " + *qv::FailureLogLine(std::current_exception()));
    }
    return ExitOk;
}

int Refused(std::string_view name, std::string_view text)
{
    std::cerr << "qortool " << name << ": " << text << "\n";
    return ExitRefused;
}

int UsageError(const Command &command, std::string_view problem)
{
    std::cerr << "qortool " << command.name << ": " << problem << "\n"
              << "Использование: qortool " << command.name << ' ' << command.usage << "\n";
    return ExitUsage;
}

} // namespace qortool
