// The main window: opening files (the command, recent files, dropped files,
// the command line).

#include "execution/desk/settingsstore.h"
#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/paths.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/settings/settings.h"
#include "ui/desk/commentwindow.h"
#include "ui/mainwindow.h"
#include "ui/remote/remotedesk.h"
#include "ui/services/secondarywindows.h"
#include "ui/views/diagramview.h"
#include "ui/views/tableview.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

namespace qv {

TBaseForm::CommandLine TBaseForm::parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    const QStringList rest = arguments.mid(1);
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const QString &argument = rest.at(i);
        const QString upper = argument.toUpper();
        if ((upper == QStringLiteral("--CONNECT") || upper == QStringLiteral("--LISTEN")) &&
            i + 1 < rest.size())
            line.address = rest.at(++i);
        else if (upper == QStringLiteral("\\REMOTECLIENT") ||
                 upper == QStringLiteral("--REMOTE-CLIENT"))
            line.remoteClient = true;
        else if (upper == QStringLiteral("\\REMOTESERVER") ||
                 upper == QStringLiteral("--REMOTE-SERVER"))
            line.remoteServer = true;
        else
            line.file = argument; // the last one wins
    }
    return line;
}

void TBaseForm::startFromCommandLine(const QStringList &arguments)
{
    raise();
    activateWindow();
    const CommandLine line = parseCommandLine(arguments);
    QTimer::singleShot(10, this, [this, line] {
        if (!line.file.isEmpty())
            openFile(line.file);
        if (!line.remoteClient && !line.remoteServer)
            return;
        // A client connects at once when told where to; a server listens.
        if (line.remoteClient)
            remoteDesk().Start(RemoteDesk::Role::Client, line.address, !line.address.isEmpty());
        else
            remoteDesk().Start(RemoteDesk::Role::Server, line.address, true);
    });
}

QString TBaseForm::startDirectory() const
{
    return QString::fromStdString(m_store->Settings().StartDirectory);
}

QString TBaseForm::dialogDirectory() const
{
    const QString start = startDirectory();
    if (!start.isEmpty() && QFileInfo(start).isDir())
        return start;
    const QString exeDir = QString::fromStdString(ExecutableDir().string());
    const QString tests = QDir(exeDir).filePath(QStringLiteral("Тесты"));
    return QFileInfo(tests).isDir() ? tests : exeDir;
}

void TBaseForm::openFileCommand()
{
    if (remoteClientConnected())
        return;
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Открытие тестового файла..."), dialogDirectory(),
        QStringLiteral("Файл теста (*.QOR);;Все файлы (*.*)"));
    if (!path.isEmpty())
        openFile(path);
}

void TBaseForm::openDroppedFiles(const QStringList &paths)
{
    if (paths.size() >= 2) {
        Mesbo().Show(Msg(0), MbError, kProductName);
        return;
    }
    if (paths.size() == 1 && !remoteClientConnected())
        openFile(paths.front());
}

bool TBaseForm::openFile(const QString &path)
{
    resetForOpen();
    return loadAndShow(path);
}

void TBaseForm::resetForOpen()
{
    services::CloseSecondaryWindows(this);
    if (m_comment) {
        m_comment->close();
        m_comment->forget();
    }
    m_document->Close();
}

bool TBaseForm::loadAndShow(const QString &path)
{
    if (!m_document->LoadFile(path.toStdString()))
        return false;
    const QFileInfo file(path);
    m_store->Settings().StartDirectory = file.absolutePath().toStdString();
    m_shown = desk::ShownView::Diagram;
    m_lastView = desk::ShownView::Diagram;
    m_actions.diagramm->setChecked(true);
    m_actions.table->setChecked(false);
    m_diagram->show();
    m_table->hide();
    selectTest(0);

    if (!m_document->CommentMarks.empty() && option(TSettings::OptCommentsOnOpen) != 0) {
        // The file's comment, else the first test's.
        commentWindowOn(
            TfmComment::HasComment(*m_document, TfmComment::kFileSlot) ? TfmComment::kFileSlot : 1);
        activateWindow(); // the window keeps the focus during an open
    }
    if (!remoteClientConnected())
        addRecentFile(file.absoluteFilePath());
    showTitle();
    if (m_remote != nullptr)
        m_remote->FileOpened(file.absoluteFilePath());
    return true;
}

void TBaseForm::addRecentFile(const QString &path)
{
    m_store->Settings().AddRecentFile(path.toStdString());
    fillRecentMenu();
}

QStringList TBaseForm::recentFiles() const
{
    QStringList files;
    for (const std::string &file : m_store->Settings().RecentFiles)
        files << QString::fromStdString(file);
    return files;
}

void TBaseForm::fillRecentMenu()
{
    QMenu *menu = m_actions.recentFiles;
    menu->clear();
    const QStringList files = recentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files.at(i);
        QAction *entry = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
        entry->setObjectName(QStringLiteral("MRU%1").arg(i));
        connect(entry, &QAction::triggered, this, [this, path] {
            if (!remoteClientConnected())
                openFile(path);
        });
    }
    menu->setEnabled(!files.isEmpty());
}

void TBaseForm::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TBaseForm::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    event->acceptProposedAction();
    // The drop's source waits for this handler; open once it has returned.
    QTimer::singleShot(0, this, [this, paths] { openDroppedFiles(paths); });
}

} // namespace qv
