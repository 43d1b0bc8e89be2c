#include "texteditor.h"

#include <QProcess>
#include <QStandardPaths>
#include <array>

namespace qvedit {
namespace {

struct Known
{
    const char *program;
    const char *waitOption; // null: it waits by itself
};

constexpr std::array kKnownEditors = {
    Known{"gedit", "--wait"},
    Known{"gnome-text-editor", "--standalone"},
    Known{"kate", "--block"},
    Known{"kwrite", nullptr},
    Known{"xed", "--wait"},
    Known{"pluma", nullptr},
    Known{"mousepad", "--disable-server"},
    Known{"geany", "--new-instance"},
};

} // namespace

std::optional<TextEditorCommand> FindTextEditor()
{
    for (const char *variable : {"VISUAL", "EDITOR"}) {
        QStringList words = QProcess::splitCommand(qEnvironmentVariable(variable));
        if (!words.isEmpty()) {
            TextEditorCommand command;
            command.program = words.takeFirst();
            command.arguments = words;
            return command;
        }
    }
    for (const Known &known : kKnownEditors) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(known.program));
        if (path.isEmpty())
            continue;
        TextEditorCommand command{path, {}};
        if (known.waitOption != nullptr)
            command.arguments << QString::fromLatin1(known.waitOption);
        return command;
    }
    return std::nullopt;
}

bool RunTextEditor(const TextEditorCommand &command, const QString &path, QString *problem)
{
    QProcess editor;
    editor.setProcessChannelMode(QProcess::ForwardedChannels);
    editor.setInputChannelMode(QProcess::ForwardedInputChannel);
    editor.start(command.program, command.arguments + QStringList{path});
    if (!editor.waitForStarted(-1)) {
        *problem = QStringLiteral("Не удалось запустить текстовый редактор \"%1\": %2")
                       .arg(command.program, editor.errorString());
        return false;
    }
    editor.waitForFinished(-1);
    if (editor.exitStatus() != QProcess::NormalExit || editor.exitCode() != 0) {
        *problem = QStringLiteral("Текстовый редактор завершился с ошибкой (код %1): изменения "
                                  "не сохранены")
                       .arg(editor.exitCode());
        return false;
    }
    return true;
}

} // namespace qvedit
