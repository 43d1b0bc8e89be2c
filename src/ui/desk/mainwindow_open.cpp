// The main window's side of opening a file: what closes before the load and
// what the window shows after it.

#include "infra/mesbo.h"
#include "infra/mesboflags.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/settings/settings.h"
#include "ui/desk/commentwindow.h"
#include "ui/desk/mainwindow.h"
#include "ui/desk/window/deskcomment.h"
#include "ui/desk/window/diagnosiscommands.h"
#include "ui/remote/remotedesk.h"
#include "ui/services/secondarywindows.h"
#include "ui/views/diagramview.h"
#include "ui/views/tableview.h"

#include <QAction>
#include <QFileInfo>

namespace qv {

void TBaseForm::BuildFiles()
{
    desk::DeskFiles::Host host;
    host.remoteClient = [this] { return RemoteClientConnected(); };
    host.mayDiscard = [this] { return ConfirmDiscard(); };
    host.closeForOpen = [this] { ResetForOpen(); };
    host.showOpened = [this](const QString &path) { ShowOpened(path); };
    host.startRemote = [this](const CommandLine &line) {
        // A client connects at once when told where to; a server listens.
        if (line.remoteClient)
            RemoteDesk().Start(qv::RemoteDesk::Role::Client, line.address, !line.address.isEmpty());
        else
            RemoteDesk().Start(qv::RemoteDesk::Role::Server, line.address, true);
    };
    m_files =
        new desk::DeskFiles(*this, *m_document, *m_store, *m_actions.recentFiles, std::move(host));
}

void TBaseForm::StartFromCommandLine(const QStringList &arguments, std::function<void()> then)
{
    raise();
    activateWindow();
    m_files->StartFromCommandLine(arguments, std::move(then));
}

bool TBaseForm::SaveFile()
{
    const std::string before = m_document->Doc().FileName;
    const bool saved = m_document->SaveFile();
    if (saved)
        m_files->MarkSaved();
    if (saved && m_document->Doc().FileName != before)
        m_files->Remember(QString::fromStdString(m_document->Doc().FileName));
    FillInformation();
    // The references may have taken the values of the run.
    RefillShownView();
    return saved;
}

bool TBaseForm::ConfirmDiscard()
{
    // A remote client's files are the server's to choose.
    if (RemoteClientConnected() || !m_files->HasUnsavedChanges())
        return true;
    const std::string name =
        QFileInfo(QString::fromStdString(m_document->Doc().FileName)).fileName().toStdString();
    const int answer =
        Mesbo().Show("Данные файла \"" + name + "\" изменены и не записаны. Сохранить изменения?",
                     MbQuestionCancel, kProductName);
    if (answer == MbNo)
        return true;
    return answer == MbYes && SaveFile();
}

void TBaseForm::ResetForOpen()
{
    services::CloseSecondaryWindows(this);
    m_comment->CloseAndForget();
    m_diagnosis->SetDiagnosis({});
    m_document->Close();
}

void TBaseForm::ShowOpened(const QString &path)
{
    m_shown = desk::ShownView::Diagram;
    m_lastView = desk::ShownView::Diagram;
    m_actions.diagramm->setChecked(true);
    m_actions.table->setChecked(false);
    m_diagram->show();
    m_table->hide();
    SelectTest(0);

    if (!m_document->CommentMarks().empty() && Option(TSettings::OptCommentsOnOpen) != 0) {
        // The file's comment, else the first test's.
        m_comment->Show(
            TfmComment::HasComment(*m_document, TfmComment::kFileSlot) ? TfmComment::kFileSlot : 1);
        activateWindow(); // the window keeps the focus during an open
    }
    ShowTitle();
    if (m_remote != nullptr)
        m_remote->FileOpened(path);
}

void TBaseForm::dragEnterEvent(QDragEnterEvent *event)
{
    m_files->DragEnter(*event);
}

void TBaseForm::dropEvent(QDropEvent *event)
{
    m_files->Drop(*event);
}

} // namespace qv
