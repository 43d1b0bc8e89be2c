#pragma once

// TfmAbout ("О программе"): the product, its version and build date, and the
// versions of the toolkit and the crypto library in use.

#include <QDialog>
#include <QStringList>

namespace qv::help {

class TfmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TfmAbout(QWidget *parent = nullptr);

    // The lines the window shows, top to bottom.
    static QStringList Lines();
    // The compiler's "Mmm dd yyyy" as the operator writes a date,
    // "dd.MM.yyyy"; the text unchanged when it is no such date.
    static QString BuildDate(const char *compilerDate);
};

} // namespace qv::help
