#include "ui/help/helpwindow.h"

#include "infra/mesbo.h"
#include "infra/version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <array>
#include <utility>

namespace qv::help {
namespace {

// Form names of the windows that have a page of their own.
constexpr std::array<std::pair<const char *, const char *>, 6> kPages{{
    {"BaseForm", "main.html"},
    {"fmPusk", "run.html"},
    {"fmParams", "settings.html"},
    {"fmPassword", "files.html"},
    {"fmFileInfo", "files.html"},
    {"fmCalibrate", "calibration.html"},
}};

bool HasContents(const QString &directory)
{
    return QFileInfo::exists(directory + QLatin1Char('/') + QLatin1String(kContentsPage));
}

} // namespace

QString ManualDirectory()
{
    const QString app = QCoreApplication::applicationDirPath();
    for (const QString &candidate :
         {app + QStringLiteral("/manual"), app + QStringLiteral("/../share/quorvik/manual"),
          app + QStringLiteral("/../bin/manual")}) {
        if (HasContents(candidate))
            return QDir(candidate).absolutePath();
    }
    return {};
}

QString HelpPageFor(const QWidget *window)
{
    if (window == nullptr)
        return QString::fromLatin1(kContentsPage);
    const QString own = window->property(kHelpPageProperty).toString();
    if (!own.isEmpty())
        return own;
    for (const auto &[form, page] : kPages)
        if (window->objectName() == QLatin1String(form))
            return QString::fromLatin1(page);
    return QString::fromLatin1(kContentsPage);
}

THelpWindow::THelpWindow(const QString &directory, const QString &page, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("fmHelp"));
    setWindowTitle(QStringLiteral("Справка - ") + QString::fromLatin1(kProductName));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_browser = new QTextBrowser(this);
    m_browser->setSearchPaths({directory});
    m_browser->setOpenExternalLinks(false);
    layout->addWidget(m_browser);
    m_browser->setSource(QUrl::fromLocalFile(directory + QLatin1Char('/') + page));
    resize(760, 560);
}

QString THelpWindow::currentPage() const
{
    return QFileInfo(m_browser->source().toLocalFile()).fileName();
}

THelpWindow *ShowHelpFor(QWidget *asking)
{
    const QString directory = ManualDirectory();
    if (directory.isEmpty()) {
        Mesbo().Show("Руководство оператора не найдено: переустановите приложение", MbError,
                     kProductName);
        return nullptr;
    }
    QString page = HelpPageFor(asking);
    if (!QFileInfo::exists(directory + QLatin1Char('/') + page))
        page = QString::fromLatin1(kContentsPage);
    auto *window = new THelpWindow(directory, page, asking);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    return window;
}

} // namespace qv::help
