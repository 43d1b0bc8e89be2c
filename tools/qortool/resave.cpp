// qortool resave: loads a test file through the document and saves it back
// (or under another name), as the operator's save command does.

#include "args.h"
#include "commands.h"
#include "infra/helpers.h"
#include "session.h"

#include <iostream>

namespace qortool {

int RunResave(std::span<const std::string> args)
{
    const Command &command = CommandNamed("resave");
    std::string problem;
    std::set<std::string> valueOptions = kSessionValueOptions;
    valueOptions.insert("-o");
    const auto parsed = ParseArgs(args, valueOptions, kSessionFlagOptions, &problem);
    if (!parsed) {
        return UsageError(command, problem);
    }
    if (parsed->positional.size() != 1) {
        return UsageError(command, "нужен один файл тестов");
    }
    Session session(*parsed);
    qv::TQuorvik &document = session.Document();
    if (!document.LoadFile(parsed->positional.front())) {
        for (const auto &line : session.ShownLines()) {
            std::cerr << line << "\n";
        }
        return Refused(command.name, "файл не загружен");
    }
    if (const auto output = parsed->Value("-o")) {
        // Written where asked; the save dialog keeps that name.
        document.Doc.FileName = *output;
        document.Txt.FileName = qv::SetExt(*output, ".TXT").string();
    }
    session.Ui().Clear();
    if (!document.SaveFile()) {
        for (const auto &line : session.ShownLines()) {
            std::cerr << line << "\n";
        }
        return Refused(command.name, "файл не записан");
    }
    return ExitOk;
}

} // namespace qortool
