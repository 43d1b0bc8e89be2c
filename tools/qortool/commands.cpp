#include "commands.h"

#include "infra/safefile.h"
#include "model/io/errors.h"
#include "model/io/filestore.h"
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
                "[--run [--unit АДРЕС] [--board ФАЙЛ]] [--vfunc K [--cycle C]] [--password ПАРОЛЬ]",
                "нарисовать диаграмму или таблицу теста N (от 1) в PNG или PDF; --full - "
                "расширенная таблица; --run - после запуска теста на блоке диагностики; "
                "--vfunc - осциллограмма V-функции K в цикле C (от 1) в PNG 220x220",
                RunRender},
        Command{"export",
                "ФАЙЛ.QOR [--test N] --format vcd|csv -o ВЫХОД [--run [--unit АДРЕС] "
                "[--board ФАЙЛ]] [--password ПАРОЛЬ]",
                "тест N (от 1) в VCD для просмотра сигналов или в CSV для таблиц; --run - "
                "со значениями, прочитанными при запуске на блоке диагностики",
                RunExport},
        Command{"run",
                "ФАЙЛ.QOR [--test N | --all] [--continuous [--passes N] [--keep-going]] "
                "[--debug --cycle C --first F --last L] [--unit АДРЕС] [--board ФАЙЛ] "
                "[--answer yes|no] [--timeout МС] [--quiet] [--password ПАРОЛЬ] "
                "[--report ОТЧЕТ.json] [--junit ОТЧЕТ.xml] [--probe sim|ftdi|d2xx] "
                "[--db БАЗА [--serial НОМЕР] [--operator ИМЯ] [--spool ПАПКА]]",
                "выполнить тест N (от 1) или все тесты на блоке диагностики; код выхода 0 - "
                "успешно, 1 - ошибки или прерван, 2 - запуск не выполнен",
                RunRun},
        Command{"history",
                "[--db БАЗА] [--since ДАТА] [--until ДАТА] [--serial НОМЕР] [--file ФАЙЛ] "
                "[--verdict ИТОГ] [--operator ИМЯ] [--host СТЕНД] [--limit N] "
                "[--format table|csv|json] [--yield [--by day|file|test]]",
                "прогоны, записанные в базу результатов; --yield - выход годных с первого "
                "прогона по дням, файлам тестов или тестам",
                RunHistory},
        Command{"coverage", "ФАЙЛ.QOR [--test N] [--format table|json] [--password ПАРОЛЬ]",
                "какие неисправности контактов (постоянно 0, постоянно 1, замыкание с соседом "
                "по шине) видны тестам файла, по эталонам, без блока диагностики",
                RunCoverage},
        Command{"unit", "info|check [--unit АДРЕС] [--board ФАЙЛ] [--timeout МС] [--io-check]",
                "сведения о сборке блока диагностики (info); связь и сброс блока (check); "
                "АДРЕС: sim, tcp://УЗЕЛ:ПОРТ, serial:/dev/ttyACM0",
                RunUnit},
    };
    return commands;
}

std::string_view CommandDetails(std::string_view name)
{
    if (name == "history")
        return "Параметры:\n"
               "  --db БАЗА         файл SQLite или postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР:ПОРТ/БАЗА;\n"
               "                    без --db - results.sqlite в папке данных программы\n"
               "  --since ДАТА      прогоны с этого дня (ГГГГ-ММ-ДД, UTC)\n"
               "  --until ДАТА      прогоны по этот день включительно\n"
               "  --serial НОМЕР    заводской номер платы\n"
               "  --file ФАЙЛ       имя файла тестов (или полный путь)\n"
               "  --verdict ИТОГ    passed, errors, interrupted, failed, not-run\n"
               "  --operator ИМЯ    оператор\n"
               "  --host СТЕНД      имя компьютера стенда\n"
               "  --limit N         не больше N последних прогонов\n"
               "  --format ВИД      table (по умолчанию), csv или json\n"
               "  --yield           выход годных с первого прогона: первые прогоны каждой "
               "платы\n"
               "                    (номера и файла тестов; прогон без номера - всегда первый)\n"
               "  --by ГРУППА       day (по умолчанию), file или test\n\n"
               "Код завершения: 0 - выведено, 1 - база недоступна, 2 - ошибка в аргументах.\n";
    if (name != "run")
        return {};
    return "Параметры:\n"
           "  --test N          тест N (от 1); без --test и --all - тест 1\n"
           "  --all             все тесты файла\n"
           "  --continuous      непрерывный запуск: до Ctrl+C или первой ошибки\n"
           "  --passes N        непрерывный запуск заканчивается сам после N прогонов "
           "(до 1000000)\n"
           "  --keep-going      непрерывный запуск продолжается после ошибок\n"
           "  --debug --cycle C --first F --last L\n"
           "                    отладка: цикл C, такты с F по L (от 1)\n"
           "  --unit АДРЕС      sim, sim:ПЛАТА.ini, tcp://УЗЕЛ:ПОРТ, serial:/dev/ttyACM0\n"
           "  --board ФАЙЛ      плата симулятора (с --unit sim)\n"
           "  --answer yes|no   ответ на вопросы блока об ошибках функций (по умолчанию yes)\n"
           "  --timeout МС      время ожидания ответа блока, от 1 до 3600000 мс\n"
           "  --quiet           вывести только итоговое сообщение\n"
           "  --password ПАРОЛЬ пароль чтения файла тестов\n"
           "  --report ФАЙЛ     записать отчёт о запуске в JSON\n"
           "  --junit ФАЙЛ      записать отчёт о запуске в JUnit XML (тест файла - test case)\n"
           "  --probe УСТР      записать осциллограмму активной (или первой) V-функции теста\n"
           "                    осциллографическим зондом: sim (симулятор), ftdi или d2xx;\n"
           "                    в конце выводится число съёмов \"Съёмов: N\"\n"
           "  --db БАЗА         записать прогон в базу результатов: файл SQLite или\n"
           "                    postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР:ПОРТ/БАЗА (пароль - в "
           "~/.pgpass);\n"
           "                    непрерывный запуск записывается по прогонам\n"
           "  --serial НОМЕР    заводской номер платы для записи\n"
           "  --operator ИМЯ    оператор для записи (по умолчанию - пользователь системы)\n"
           "  --spool ПАПКА     где ждут записи, пока база недоступна (по умолчанию - папка\n"
           "                    данных программы)\n\n"
           "На терминале непрерывный запуск и запуск всех тестов показывают строку хода "
           "выполнения\n"
           "в стандартном потоке ошибок; Ctrl+C прерывает выполнение, как Esc в окне "
           "\"Пуск\".\n\n"
           "Код завершения:\n"
           "  0  тест выполнен успешно (все прогоны без ошибок)\n"
           "  1  найдены ошибки или выполнение прервано (Ctrl+C)\n"
           "  2  запуск не выполнен (аргументы, файл, связь с блоком, компиляция, сбой "
           "выполнения)\n";
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
        if (parsed->positional.size() > positionalCount)
            problem += ", лишний аргумент \"" + parsed->positional[positionalCount] + "\"";
        parsed.reset();
    }
    if (!parsed) {
        UsageError(command, problem);
    }
    return parsed;
}

std::optional<std::string> ReadInput(std::string_view name, const std::string &path)
{
    std::string problem;
    auto text = ReadFileBytes(path, &problem);
    if (!text) {
        Refused(name, problem);
    }
    return text;
}

int WriteResult(std::string_view name, const std::string &path, std::string_view bytes)
{
    // "-" is standard output; a device or a pipe is written directly.
    if (path == "-") {
        std::cout.flush();
    }
    if (const std::string problem = qv::WriteOutputFile(path, bytes); !problem.empty()) {
        return Refused(name, problem);
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
