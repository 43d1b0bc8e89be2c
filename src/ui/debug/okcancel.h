#pragma once

// The button row of the small dialogs: an "OK" button (default; the caller
// connects what it checks before accepting) and "Отмена" (rejects).

#include <QString>

class QBoxLayout;
class QDialog;
class QPushButton;

namespace qv::debug {

QPushButton *AddOkCancel(QDialog *dialog, QBoxLayout *layout,
                         const QString &ok = QStringLiteral("OK"));

} // namespace qv::debug
