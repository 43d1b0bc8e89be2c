#pragma once

// What the results database's statements share: text in both directions,
// the refusal of a statement as text, and the columns of a run's row.

#include "results/runrecord.h"

#include <QString>
#include <QVariantList>
#include <string>

class QSqlDatabase;
class QSqlError;

namespace qv::results {

inline QString Q(const std::string &text)
{
    return QString::fromStdString(text);
}

// The database's message; "нет ответа" when it gave none.
std::string ErrorText(const QSqlError &error);

// A value as SQL text in the connection's dialect, quoted and escaped by
// its driver.
QString SqlLiteral(const QSqlDatabase &db, const QVariant &value);

// The columns of table runs that a record fills, in two parts: what every
// pass of a continuous run shares (the session, the bench, the file, the
// unit) and what is a pass's own. Each row function gives the values of
// its column list, in order.
constexpr int kSharedColumnCount = 13;
constexpr int kPassColumnCount = 10;
const char *SharedColumns();
const char *PassColumns();
QVariantList SharedRow(const RunRecord &record);
QVariantList PassRow(const RunRecord &record);
// Whether two records have the same shared values, compared as they are.
bool SameShared(const RunRecord &a, const RunRecord &b);

} // namespace qv::results
