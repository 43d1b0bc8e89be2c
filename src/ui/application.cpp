#include "ui/application.h"

#include "infra/fatalerror.h"

#include <QLibraryInfo>
#include <QLocale>
#include <cstdio>
#include <exception>

namespace qv {

QuorvikApplication::QuorvikApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{}

bool QuorvikApplication::notify(QObject *receiver, QEvent *event)
{
    std::string failure;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        failure = e.what();
    } catch (...) {
        failure = "Неизвестная ошибка";
    }
    if (m_handler != nullptr)
        m_handler->Handle(failure);
    else
        std::fprintf(stderr, "quorvik: %s\n", failure.c_str());
    return false;
}

bool QuorvikApplication::InstallToolkitTranslations()
{
    // The locale also speaks for the toolkit (file types, sizes and dates of
    // the file dialog), whatever the system's locale is.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    if (!m_toolkitTexts.load(QStringLiteral("qtbase_ru"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return installTranslator(&m_toolkitTexts);
}

void QuorvikApplication::RemoveToolkitTranslations()
{
    removeTranslator(&m_toolkitTexts);
}

} // namespace qv
