#pragma once

// The toolkit's own texts in Russian for the helper programs, as the main
// program has them: the standard buttons and dialogs (also "Показать
// подробности..." of a message with details) from the toolkit's
// translations, and the locale set to Russian so that the file dialog's
// types, sizes and dates are written in Russian too, whatever the system's
// locale (also "C").

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qv {

// `translator` must live as long as the texts are used. False when the
// toolkit's Russian translations are not installed (the locale is set all
// the same).
inline bool InstallRussianToolkitTexts(QTranslator &translator)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    if (!translator.load(QStringLiteral("qtbase_ru"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

} // namespace qv
