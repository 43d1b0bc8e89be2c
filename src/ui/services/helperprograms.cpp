#include "ui/services/helperprograms.h"

#include "infra/paths.h"

#include <QDir>

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

void SetHelperProgramDirectory(const QString &directory)
{
    Directory() = directory;
}

} // namespace qv::services
