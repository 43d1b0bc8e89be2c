// qortool info: loads a test file through the document, as the operator
// program does (contact file included), and prints what it holds.

#include "args.h"
#include "commands.h"
#include "model/file/datetext.h"
#include "model/file/testfile.h"
#include "session.h"
#include "testsummary.h"

#include <iostream>

namespace qortool {

int RunInfo(std::span<const std::string> args)
{
    const Command &command = CommandNamed("info");
    const auto parsed = ParseCommandArgs(command, args, kSessionValueOptions, kSessionFlagOptions,
                                         1, "нужен один файл тестов");
    if (!parsed) {
        return ExitUsage;
    }
    Session session(*parsed);
    qv::TQuorvik &document = session.Document();
    if (!session.Load(parsed->positional.front())) {
        return Refused(command.name, "файл не загружен");
    }
    const qv::SQor &doc = document.Doc();
    const auto date = [](double moment) {
        return moment == 0 ? std::string("-") : qv::DateTimeText(moment);
    };
    std::cout << "Файл: " << doc.FileName << "\n"
              << "Название: " << doc.FTitle << "\n"
              << "Автор изменений: " << doc.FAuthor << "\n"
              << "Версия файла: " << doc.FVersion << "\n"
              << "Дата создания: " << date(doc.FCreate) << "\n"
              << "Дата последнего редактирования: " << date(doc.FModified) << "\n"
              << "Система счисления: " << doc.Sys << "\n"
              << "Флаги доступа: " << static_cast<int>(document.TestFile()->Flags()) << "\n"
              << "Шин: " << doc.Tyres.Count() << "\n"
              << "Файл контактов: " << document.Cnt().FileName << "\n"
              << "Файл комментариев: " << document.Txt().FileName << "\n"
              << "Тестов: " << doc.NTest << "\n";
    for (int i = 0; i < doc.NTest; ++i) {
        const qv::STest *test = document.Test(i);
        std::cout << i + 1 << ": " << (test != nullptr ? test->Name : std::string()) << "\n";
        if (test != nullptr) {
            PrintTestModel(std::cout, *test, document.StructureNotes(i));
        }
    }
    return ExitOk;
}

} // namespace qortool
