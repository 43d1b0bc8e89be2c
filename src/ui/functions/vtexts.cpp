#include "ui/functions/vtexts.h"

#include "model/functions/funcv.h"

namespace qv::functions {
namespace {

QString Utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

QStringList SweepChoices()
{
    QStringList choices;
    for (int i = 0; i < kSweepCount; ++i)
        choices << Utf8(SweepText(i));
    return choices;
}

QStringList AmplitudeChoices(const QString &comma)
{
    QStringList choices;
    for (int i = 0; i < kAmplitudeCount; ++i)
        choices << Utf8(AmplitudeText(i)).replace(QLatin1Char(','), comma) + QStringLiteral(" В");
    return choices;
}

std::string ToStoredLines(const QString &text)
{
    QString stored = text;
    stored.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    stored.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return stored.toStdString();
}

QString FromStoredLines(const std::string &text)
{
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace qv::functions
