#include "results/sqlvalues.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>

namespace qv::results {

std::string ErrorText(const QSqlError &error)
{
    std::string text = error.text().trimmed().toStdString();
    return text.empty() ? std::string("нет ответа") : text;
}

QString SqlLiteral(const QSqlDatabase &db, const QVariant &value)
{
    QSqlField field(QString(), value.metaType());
    field.setValue(value);
    return db.driver()->formatValue(field);
}

const char *SharedColumns()
{
    return "session, host, operator, serial, file_path, file_name, file_sha256, unit_address, "
           "unit_type, unit_build, all_tests, continuous, debug";
}

const char *PassColumns()
{
    return "uid, pass, started, ended, passes, verdict, verdict_text, errors, test_count, "
           "wrong_word_count";
}

QVariantList SharedRow(const RunRecord &record)
{
    return {Q(record.session),    Q(record.host),          Q(record.operatorName),
            Q(record.serial),     Q(record.filePath),      Q(record.FileName()),
            Q(record.fileSha256), Q(record.unitAddress),   Q(record.unitType),
            Q(record.unitBuild),  record.allTests ? 1 : 0, record.continuous ? 1 : 0,
            record.debug ? 1 : 0};
}

QVariantList PassRow(const RunRecord &record)
{
    return {Q(record.uid),          record.pass,     Q(record.started),
            Q(record.ended),        record.passes,   Q(record.verdict),
            Q(record.verdictText),  record.Errors(), static_cast<int>(record.TestRows().size()),
            record.WrongWordCount()};
}

bool SameShared(const RunRecord &a, const RunRecord &b)
{
    return a.session == b.session && a.host == b.host && a.operatorName == b.operatorName &&
           a.serial == b.serial && a.filePath == b.filePath && a.fileSha256 == b.fileSha256 &&
           a.unitAddress == b.unitAddress && a.unitType == b.unitType &&
           a.unitBuild == b.unitBuild && a.allTests == b.allTests && a.continuous == b.continuous &&
           a.debug == b.debug;
}

} // namespace qv::results
