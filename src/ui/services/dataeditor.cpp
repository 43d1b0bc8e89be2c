#include "ui/services/dataeditor.h"

#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/io/filepaths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <array>

namespace qv::services {
namespace {

constexpr std::array kHexEditors = {"ghex", "okteta", "bless", "imhex", "wxHexEditor"};
constexpr const char *kDesktopOpener = "xdg-open";
constexpr const char *kUnset = "<не задано>";

} // namespace

std::optional<DataEditorCommand> FindDataEditor(const std::string &setting, bool withFile)
{
    QStringList words = QProcess::splitCommand(QString::fromStdString(setting));
    if (!words.isEmpty()) {
        DataEditorCommand command;
        command.program = words.takeFirst();
        command.arguments = words;
        return command;
    }
    for (const char *name : kHexEditors) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return DataEditorCommand{path, {}};
    }
    if (withFile) {
        const QString opener = QStandardPaths::findExecutable(QString::fromLatin1(kDesktopOpener));
        if (!opener.isEmpty())
            return DataEditorCommand{opener, {}};
    }
    return std::nullopt;
}

bool OpenDataEditor(const std::string &setting, const QString &file)
{
    const auto command = FindDataEditor(setting, !file.isEmpty());
    if (!command) {
        Mesbo().Show(Msg(60), MbError, kProductName);
        return false;
    }
    QStringList arguments = command->arguments;
    QString directory = QDir::currentPath();
    if (!file.isEmpty()) {
        const QFileInfo info(file);
        arguments << info.absoluteFilePath();
        directory = info.absolutePath();
    }
    if (QProcess::startDetached(command->program, arguments, directory))
        return true;
    Mesbo().Show(Msg(61) + "\nПараметры запуска:\n" + command->program.toStdString() + "\n" +
                     arguments.join(QLatin1Char(' ')).toStdString() + "\n" +
                     directory.toStdString(),
                 MbError, kProductName);
    return false;
}

bool OpenDataEditorOn(const std::string &setting, const std::string &testFile,
                      const std::string &name)
{
    if (name.empty() || name == kUnset) {
        Mesbo().Show(Msg(9), MbError, kProductName);
        return false;
    }
    // The same name the run uses: never a file outside the test's folder.
    const std::optional<std::string> inFolder = DataFileNameInFolder(name);
    const QFileInfo test(QString::fromStdString(testFile));
    const QFileInfo data(test.absoluteDir(), QString::fromStdString(inFolder.value_or(name)));
    if (!inFolder || !data.isFile()) {
        Mesbo().Show("Файл данных \"" + name + "\" не найден", MbError, kProductName);
        return false;
    }
    return OpenDataEditor(setting, data.absoluteFilePath());
}

} // namespace qv::services
