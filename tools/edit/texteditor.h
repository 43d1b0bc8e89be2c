#pragma once

// The user's text editor: $VISUAL, else $EDITOR, else the first installed
// of a short list of desktop editors (each with the option that makes it
// wait until its window is closed). A command line may carry options of
// its own ("code --wait").

#include <QString>
#include <QStringList>
#include <optional>

namespace qvedit {

struct TextEditorCommand
{
    QString program;
    QStringList arguments; // the file's path comes after these
};

std::optional<TextEditorCommand> FindTextEditor();

// Runs the editor on `path` and waits for it; true when it ended normally
// with status 0. *problem says why not.
bool RunTextEditor(const TextEditorCommand &command, const QString &path, QString *problem);

} // namespace qvedit
