// qortool resave: loads a test file through the document and saves it back
// (or under another name), as the operator's save command does; a file it
// replaces is kept as NAME.bak.

#include "args.h"
#include "commands.h"
#include "infra/helpers.h"
#include "session.h"

#include <filesystem>
#include <iostream>
#include <system_error>

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
        // The oscillogram references follow the file, as with the window's
        // save under another name; a failed copy is not reported there
        // either.
        const std::string oldSco = qv::SetExt(document.Doc().FileName, ".sco").string();
        const std::string newSco = qv::SetExt(*output, ".sco").string();
        std::error_code ignored;
        if (std::filesystem::exists(oldSco, ignored) &&
            !std::filesystem::equivalent(oldSco, newSco, ignored))
            std::filesystem::copy_file(oldSco, newSco,
                                       std::filesystem::copy_options::overwrite_existing, ignored);
        // Written where asked; the save dialog keeps that name.
        document.Doc().FileName = *output;
        document.Txt().FileName = qv::SetExt(*output, ".TXT").string();
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
