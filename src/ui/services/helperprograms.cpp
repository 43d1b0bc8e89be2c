#include "ui/services/helperprograms.h"

#include "infra/mesbo.h"
#include "infra/paths.h"
#include "infra/version.h"

#include <QDir>
#include <QFileInfo>

namespace qv::services {
namespace {

QString &Directory()
{
    static QString directory;
    return directory;
}

} // namespace

QString HelperProgramPath(const QString &name)
{
    const QString directory =
        Directory().isEmpty() ? QString::fromStdString(ExecutableDir().string()) : Directory();
    return QDir(directory).filePath(name);
}

QStringList MissingHelperPrograms()
{
    QStringList missing;
    for (const char *name : {kTestEditorProgram, kByteSplitterProgram, kSelfTestProgram}) {
        const QFileInfo program(HelperProgramPath(QString::fromLatin1(name)));
        if (!program.isFile() || !program.isExecutable())
            missing << QString::fromLatin1(name);
    }
    return missing;
}

bool CheckHelperPrograms()
{
    const QStringList missing = MissingHelperPrograms();
    if (missing.isEmpty())
        return true;
    const QString folder = QFileInfo(HelperProgramPath(missing.front())).absolutePath();
    Mesbo().Show(("Не найдены вспомогательные программы в папке \"" + folder +
                  "\": " + missing.join(QStringLiteral(", ")) +
                  ".\r\nКоманды, которые их запускают, работать не будут. Переустановите "
                  "приложение")
                     .toStdString(),
                 MbWarning, kProductName);
    return false;
}

void SetHelperProgramDirectory(const QString &directory)
{
    Directory() = directory;
}

} // namespace qv::services
