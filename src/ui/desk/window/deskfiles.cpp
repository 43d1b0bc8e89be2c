#include "ui/desk/window/deskfiles.h"

#include "execution/desk/settingsstore.h"
#include "infra/encoding.h"
#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/paths.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/settings/settings.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

namespace qv::desk {

DeskFiles::CommandLine DeskFiles::ParseCommandLine(const QStringList &arguments)
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

DeskFiles::DeskFiles(QWidget &window, TQuorvik &document, SettingsStore &store, QMenu &recentMenu,
                     Host host)
    : QObject(&window)
    , m_window(window)
    , m_document(document)
    , m_store(store)
    , m_recentMenu(recentMenu)
    , m_host(std::move(host))
{}

void DeskFiles::StartFromCommandLine(const QStringList &arguments)
{
    const CommandLine line = ParseCommandLine(arguments);
    QTimer::singleShot(10, this, [this, line] {
        if (!line.file.isEmpty())
            Open(line.file);
        if (line.remoteClient || line.remoteServer)
            m_host.startRemote(line);
    });
}

QString DeskFiles::StartDirectory() const
{
    return QString::fromStdString(m_store.Settings().StartDirectory);
}

QString DeskFiles::DialogDirectory() const
{
    const QString start = StartDirectory();
    if (!start.isEmpty() && QFileInfo(start).isDir())
        return start;
    const QString exeDir = QString::fromStdString(ExecutableDir().string());
    const QString tests = QDir(exeDir).filePath(QStringLiteral("Тесты"));
    return QFileInfo(tests).isDir() ? tests : exeDir;
}

void DeskFiles::OpenCommand()
{
    if (m_host.remoteClient())
        return;
    const QString path = QFileDialog::getOpenFileName(
        &m_window, QStringLiteral("Открытие тестового файла..."), DialogDirectory(),
        QStringLiteral("Файл теста (*.QOR);;Все файлы (*.*)"));
    if (!path.isEmpty())
        Open(path);
}

void DeskFiles::OpenDropped(const QStringList &paths)
{
    if (paths.size() >= 2) {
        Mesbo().Show(Msg(0), MbError, kProductName);
        return;
    }
    if (paths.size() == 1 && !m_host.remoteClient())
        Open(paths.front());
}

bool DeskFiles::Open(const QString &path, bool askToSave)
{
    if (askToSave && m_host.mayDiscard && !m_host.mayDiscard())
        return false;
    m_host.closeForOpen();
    if (!m_document.LoadFile(path.toStdString()))
        return false;
    MarkSaved();
    Remember(path);
    m_host.showOpened(QFileInfo(path).absoluteFilePath());
    return true;
}

void DeskFiles::Remember(const QString &path)
{
    const QFileInfo file(path);
    const std::string full = file.absoluteFilePath().toStdString();
    // The settings file is Windows-1251 text: a path it cannot hold would
    // be dropped from it, and the start directory and the recent files with
    // it. The old ones stay; the operator hears of it once per path.
    if (!TryUtf8ToCp1251(full)) {
        if (!m_unremembered.contains(path)) {
            m_unremembered.insert(path);
            Mesbo().Show("Путь \"" + full +
                             "\" содержит символы вне кодировки Windows-1251: он не будет "
                             "запомнен ни как директория запуска, ни в списке последних файлов",
                         MbWarning, kProductName);
        }
        return;
    }
    m_store.Settings().StartDirectory = file.absolutePath().toStdString();
    if (!m_host.remoteClient()) {
        m_store.Settings().AddRecentFile(full);
        FillRecentMenu();
    }
}

QStringList DeskFiles::RecentFiles() const
{
    QStringList files;
    for (const std::string &file : m_store.Settings().RecentFiles)
        files << QString::fromStdString(file);
    return files;
}

void DeskFiles::FillRecentMenu()
{
    m_recentMenu.clear();
    const QStringList files = RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files.at(i);
        QAction *entry = m_recentMenu.addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
        entry->setObjectName(QStringLiteral("MRU%1").arg(i));
        connect(entry, &QAction::triggered, this, [this, path] {
            if (!m_host.remoteClient())
                Open(path);
        });
    }
    m_recentMenu.setEnabled(!files.isEmpty());
}

void DeskFiles::DragEnter(QDragEnterEvent &event)
{
    if (event.mimeData()->hasUrls())
        event.acceptProposedAction();
}

void DeskFiles::Drop(QDropEvent &event)
{
    QStringList paths;
    for (const QUrl &url : event.mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    event.acceptProposedAction();
    // The drop's source waits for this handler; open once it has returned.
    QTimer::singleShot(0, this, [this, paths] { OpenDropped(paths); });
}

} // namespace qv::desk
