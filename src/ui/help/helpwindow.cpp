#include "ui/help/helpwindow.h"

#include "infra/mesbo.h"
#include "infra/version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
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

// Pictures never narrower than this; the page's margins beside them.
constexpr int kMinPictureWidth = 200;
constexpr int kPictureMargin = 24;

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
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] { FitPictures(); });
    resize(760, 560);
    FitPictures();
}

void THelpWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FitPictures();
}

void THelpWindow::FitPictures()
{
    QTextDocument *document = m_browser->document();
    const int room = std::max(kMinPictureWidth, m_browser->viewport()->width() - kPictureMargin);
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment piece = fragment.fragment();
            if (!piece.isValid() || !piece.charFormat().isImageFormat())
                continue;
            QTextImageFormat image = piece.charFormat().toImageFormat();
            const QImage picture =
                document->resource(QTextDocument::ImageResource, QUrl(image.name()))
                    .value<QImage>();
            if (picture.isNull())
                continue;
            const int width = std::min(picture.width(), room);
            if (static_cast<int>(image.width()) == width)
                continue;
            image.setWidth(width);
            image.setHeight(static_cast<double>(picture.height()) * width / picture.width());
            QTextCursor cursor(document);
            cursor.setPosition(piece.position());
            cursor.setPosition(piece.position() + piece.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
}

int THelpWindow::PictureWidth(const QString &name) const
{
    const QTextDocument *document = m_browser->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.isImageFormat() && format.toImageFormat().name() == name)
                return static_cast<int>(format.toImageFormat().width());
        }
    return 0;
}

QString THelpWindow::CurrentPage() const
{
    return QFileInfo(m_browser->source().toLocalFile()).fileName();
}

void THelpWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

THelpWindow *ShowHelpFor(QWidget *asking, const QString &wanted)
{
    const QString directory = ManualDirectory();
    if (directory.isEmpty()) {
        Mesbo().Show("Руководство оператора не найдено: переустановите приложение", MbError,
                     kProductName);
        return nullptr;
    }
    QString page = wanted.isEmpty() ? HelpPageFor(asking) : wanted;
    if (!QFileInfo::exists(directory + QLatin1Char('/') + page))
        page = QString::fromLatin1(kContentsPage);
    auto *window = new THelpWindow(directory, page, asking);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    return window;
}

} // namespace qv::help
