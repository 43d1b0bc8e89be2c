#include "bytesplit.h"

#include "infra/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

namespace qvsplit {
namespace {

QString Quoted(const QString &path)
{
    return QStringLiteral("\"") + path + QStringLiteral("\"");
}

// The whole file when it holds 1..limit bytes; else nullopt and *problem.
std::optional<QByteArray> ReadWhole(const QString &path, qint64 limit, QString *problem)
{
    // A folder, a pipe or a device is refused with its kind, never waited on.
    std::string why;
    const auto bytes =
        qv::ReadInputFile(path.toStdString(), static_cast<std::uint64_t>(limit), &why);
    if (!bytes) {
        *problem = QString::fromStdString(why);
        return std::nullopt;
    }
    if (bytes->empty()) {
        *problem = QStringLiteral("Файл ") + Quoted(path) + QStringLiteral(" не содержит данных");
        return std::nullopt;
    }
    return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

QString WriteWhole(const QString &path, const QByteArray &bytes)
{
    // Replaced in one step; a device or a pipe is written directly.
    const std::string problem = qv::WriteOutputFile(
        path.toStdString(),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return QString::fromStdString(problem);
}

bool SamePath(const QString &a, const QString &b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

QString WithSuffix(const QString &data, const QString &suffix)
{
    const QFileInfo info(data);
    const QString extension = info.suffix();
    const QString base = info.completeBaseName();
    return info.dir().filePath(base + suffix +
                               (extension.isEmpty() ? QString() : QStringLiteral(".") + extension));
}

// Asks for the first file not named; empty when all three are.
QString MissingName(const QString &data, const QString &low, const QString &high)
{
    if (data.trimmed().isEmpty())
        return QStringLiteral("Укажите файл данных (16 бит)");
    if (low.trimmed().isEmpty())
        return QStringLiteral("Укажите файл младших байт (L)");
    if (high.trimmed().isEmpty())
        return QStringLiteral("Укажите файл старших байт (H)");
    return {};
}

} // namespace

QString LowBytesName(const QString &data)
{
    return WithSuffix(data, QStringLiteral("_L"));
}

QString HighBytesName(const QString &data)
{
    return WithSuffix(data, QStringLiteral("_H"));
}

QString JoinedName(const QString &low)
{
    const QFileInfo info(low);
    QString base = info.completeBaseName();
    if (base.endsWith(QStringLiteral("_L"), Qt::CaseInsensitive))
        base.chop(2);
    const QString extension = info.suffix();
    return info.dir().filePath(base +
                               (extension.isEmpty() ? QString() : QStringLiteral(".") + extension));
}

QString SplitBytes(const QString &data, const QString &low, const QString &high)
{
    if (const QString missing = MissingName(data, low, high); !missing.isEmpty())
        return missing;
    if (SamePath(low, high) || SamePath(low, data) || SamePath(high, data))
        return QStringLiteral("Файлы данных, младших и старших байт должны быть разными");
    QString problem;
    const auto bytes = ReadWhole(data, kMaxDataSize, &problem);
    if (!bytes)
        return problem;
    if (bytes->size() % 2 != 0)
        return QStringLiteral("Файл ") + Quoted(data) +
               QStringLiteral(" содержит нечётное число байт (%1): это не 16-разрядные данные")
                   .arg(bytes->size());
    QByteArray lows(bytes->size() / 2, '\0');
    QByteArray highs(bytes->size() / 2, '\0');
    for (qsizetype i = 0; i < lows.size(); ++i) {
        lows[i] = bytes->at(2 * i);
        highs[i] = bytes->at(2 * i + 1);
    }
    problem = WriteWhole(low, lows);
    return problem.isEmpty() ? WriteWhole(high, highs) : problem;
}

QString JoinBytes(const QString &low, const QString &high, const QString &data)
{
    if (const QString missing = MissingName(data, low, high); !missing.isEmpty())
        return missing;
    if (SamePath(low, high) || SamePath(low, data) || SamePath(high, data))
        return QStringLiteral("Файлы данных, младших и старших байт должны быть разными");
    QString problem;
    const auto lows = ReadWhole(low, kMaxDataSize / 2, &problem);
    if (!lows)
        return problem;
    const auto highs = ReadWhole(high, kMaxDataSize / 2, &problem);
    if (!highs)
        return problem;
    if (lows->size() != highs->size())
        return QStringLiteral("Файлы младших (%1 байт) и старших (%2 байт) байт разного размера")
            .arg(lows->size())
            .arg(highs->size());
    QByteArray bytes(lows->size() * 2, '\0');
    for (qsizetype i = 0; i < lows->size(); ++i) {
        bytes[2 * i] = lows->at(i);
        bytes[2 * i + 1] = highs->at(i);
    }
    return WriteWhole(data, bytes);
}

} // namespace qvsplit
