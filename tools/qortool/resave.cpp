// qortool resave: loads a test file through the document and saves it back
// (or under another name), as the operator's save command does; a file it
// replaces is kept as NAME.bak.

#include "args.h"
#include "commands.h"
#include "infra/helpers.h"
#include "session.h"

#include <iostream>

namespace qortool {

int RunResave(std::span<const std::string> args)
{
    const Command &command = CommandNamed("resave");
    std::set<std::string> valueOptions = kSessionValueOptions;
    valueOptions.insert("-o");
    const auto parsed = ParseCommandArgs(command, args, valueOptions, kSessionFlagOptions, 1,
                                         "нужен один файл тестов");
    if (!parsed) {
        return ExitUsage;
    }
    Session session(*parsed);
    qv::TQuorvik &document = session.Document();
    if (!session.Load(parsed->positional.front())) {
        return Refused(command.name, "файл не загружен");
    }
    if (const auto output = parsed->Value("-o")) {
        // Written where asked; the save dialog keeps that name.
        document.Doc.FileName = *output;
        document.Txt.FileName = qv::SetExt(*output, ".TXT").string();
    }
    session.Ui().Clear();
    // The replaced file is kept as NAME.bak, as the program does with its
    // backup setting at its default.
    qv::ScriptedFileUi::SaveChoice choice;
    choice.backup = true;
    session.Ui().SetSaveChoice(choice);
    if (!document.SaveFile()) {
        session.PrintShownLines(std::cerr);
        return Refused(command.name, "файл не записан");
    }
    return ExitOk;
}

} // namespace qortool
