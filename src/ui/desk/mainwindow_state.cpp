// The main window: test selection, views, table forms, modes, the
// information panel and the enabled state of the commands.

#include "execution/desk/desksession.h"
#include "execution/desk/settingsstore.h"
#include "execution/port/testerport.h"
#include "infra/mesbo.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/settings/settings.h"
#include "paint/views/diagramgeometry.h"
#include "ui/desk/commentwindow.h"
#include "ui/desk/infopanel.h"
#include "ui/desk/mainwindow.h"
#include "ui/desk/runbar.h"
#include "ui/desk/window/commandstates.h"
#include "ui/desk/window/commandtargets.h"
#include "ui/desk/window/deskcomment.h"
#include "ui/views/diagramview.h"
#include "ui/views/tableview.h"

#include <QFileInfo>
#include <QMenu>
#include <QToolButton>

namespace qv {
namespace {

QString Text(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

bool TBaseForm::FileOpen() const
{
    return !m_document->Doc().FileName.empty() && m_document->Doc().NTest > 0;
}

bool TBaseForm::SingleTest() const
{
    return m_document->CurrentTest() >= 0 && m_document->CurrentTest() < m_document->Doc().NTest;
}

void TBaseForm::SelectTest(int index)
{
    if (!FileOpen())
        return;
    // Any other tab number is outside the file: the document refuses it.
    m_document->SelectTest(index == kAllTests ? -1 : (index < 0 ? kAllTests : index));
}

void TBaseForm::OnTestSelected(int index)
{
    if (index < 0) {
        HideViews();
        UpdateState();
        m_info->PressTab(kAllTests);
        FillInformation();
        return;
    }
    m_diagram->SetLeftCol(kDiagramFirstTactCol);
    if (m_shown == desk::ShownView::None)
        m_shown = m_lastView;
    RefillShownView();
    FillInformation();
    UpdateState();
    m_info->PressTab(index);
    ShowTestComment();
}

void TBaseForm::OnSelectionRefused(int current)
{
    // The pressed tab stays as it was.
    m_info->PressTab(current < 0 ? kAllTests : current);
}

void TBaseForm::RefillShownView()
{
    TQuorvik &doc = *m_document;
    if (m_shown == desk::ShownView::Diagram) {
        m_actions.diagramm->setChecked(true);
        m_actions.table->setChecked(false);
        m_table->hide();
        m_diagram->show();
        doc.FillDiagramView();
        m_diagram->Refresh();
        if (Option(TSettings::OptFitColumnsOnOpen) != 0)
            m_diagram->AutoFit();
    } else if (m_shown == desk::ShownView::Table) {
        m_actions.diagramm->setChecked(false);
        m_actions.table->setChecked(true);
        m_diagram->hide();
        m_table->show();
        doc.FillTableView();
        m_table->Refresh();
    }
    RefreshViews();
}

void TBaseForm::HideViews()
{
    // Neither view belongs to all tests: both go, emptied, and the next
    // test chosen brings back the one last used.
    m_shown = desk::ShownView::None;
    m_actions.diagramm->setChecked(false);
    m_actions.table->setChecked(false);
    m_diagram->hide();
    m_table->hide();
    m_document->FillDiagramView();
    m_document->FillTableView();
    RefreshViews();
}

void TBaseForm::ShowTestComment()
{
    if (Option(TSettings::OptCommentsOnTestChange) == 0)
        return;
    const int slot = m_document->CurrentTest() + 1;
    if (TfmComment::HasComment(*m_document, slot)) {
        m_comment->Show(slot);
        activateWindow();
    } else {
        m_comment->Close();
    }
}

void TBaseForm::ShowDiagram()
{
    if (!FileOpen())
        return;
    if (!SingleTest()) {
        Mesbo().Show("Просмотр таблицы/диаграммы возможен только для одного теста", MbWarning,
                     kProductName);
        m_actions.diagramm->setChecked(m_shown == desk::ShownView::Diagram);
        return;
    }
    m_shown = desk::ShownView::Diagram;
    m_lastView = desk::ShownView::Diagram;
    RefillShownView();
    m_actions.fullTable->setChecked(false);
    m_actions.paredTable->setChecked(false);
    UpdateState();
}

void TBaseForm::ShowTable()
{
    if (!FileOpen())
        return;
    if (!SingleTest()) {
        Mesbo().Show("Просмотр таблицы/диаграммы возможен только для одного теста", MbWarning,
                     kProductName);
        m_actions.table->setChecked(m_shown == desk::ShownView::Table);
        return;
    }
    m_shown = desk::ShownView::Table;
    m_lastView = desk::ShownView::Table;
    RefillShownView();
    UpdateState();
    SetTableForm(m_document->FullTable());
}

void TBaseForm::SetTableForm(bool full)
{
    if (m_shown != desk::ShownView::Table)
        return;
    m_actions.fullTable->setChecked(full);
    m_actions.paredTable->setChecked(!full);
    m_document->SetFullTable(full); // refills the table
    m_table->Refresh();
}

void TBaseForm::ToggleSolidTest()
{
    if (!FileOpen())
        return;
    m_document->SetSolidTest(!m_document->SolidTest());
    UpdateState();
}

void TBaseForm::ToggleDebug()
{
    if (!FileOpen())
        return;
    // The document refuses with "все" selected and releases the button.
    m_document->SetDebugMode(!m_document->DebugMode());
    RefillShownView();
    UpdateState();
}

void TBaseForm::ToggleZond()
{
    if (!FileOpen() || !m_document->DebugMode())
        return;
    m_document->SetProbeMode(!m_document->ProbeMode());
    RefillShownView();
    UpdateState();
}

void TBaseForm::ToggleCycles()
{
    if (!FileOpen() || !m_document->DebugMode())
        return;
    m_document->SetCyclesMode(!m_document->CyclesMode());
    UpdateState();
}

void TBaseForm::OnFileOpened()
{
    m_info->ShowTabs(m_document->Doc().NTest);
    // A file without a number base (SYS 0) ticks neither command.
    m_actions.sys8->setChecked(m_document->Doc().Sys == 8);
    m_actions.sys16->setChecked(m_document->Doc().Sys == 16);
    FillInformation();
}

void TBaseForm::OnFileClosed()
{
    m_info->ShowTabs(0);
    m_info->PressTab(-1);
    m_info->ResetTabResults();
    m_shown = desk::ShownView::None;
    m_diagram->hide();
    m_table->hide();
    m_diagram->Refresh();
    m_table->Refresh();
    m_actions.diagramm->setChecked(false);
    m_actions.table->setChecked(false);
    m_actions.fullTable->setChecked(false);
    m_actions.paredTable->setChecked(false);
    ShowTitle();
    FillInformation();
}

void TBaseForm::ShowTitle()
{
    const QString product = QString::fromUtf8(kProductName);
    const std::string &file = m_document->Doc().FileName;
    setWindowTitle(file.empty()
                       ? product
                       : QFileInfo(Text(file)).fileName() + QStringLiteral(" - ") + product);
}

bool TBaseForm::DosUnit() const
{
    return m_desk == nullptr || m_desk->Tester().DosUnit();
}

void TBaseForm::OnModeChanged(int mode, bool on)
{
    desk::RunBar &bar = *m_runBar;
    switch (static_cast<DocumentMode>(mode)) {
    case DocumentMode::Solid:
        m_actions.solidTest->setChecked(on);
        bar.Solid()->setChecked(on);
        break;
    case DocumentMode::Debug:
        m_actions.debug->setChecked(on);
        bar.Debug()->setChecked(on);
        m_info->SetDebugIndicators(on, !DosUnit());
        break;
    case DocumentMode::Probe:
        m_actions.zond->setChecked(on);
        bar.Zond()->setChecked(on);
        break;
    case DocumentMode::Cycles:
        m_actions.cycles->setChecked(on);
        bar.Cycles()->setChecked(on);
        break;
    case DocumentMode::FullTable:
        break;
    }
}

void TBaseForm::OnStatusChanged(StatusField field, const std::string &text, bool alert)
{
    switch (field) {
    case StatusField::DebugCycle:
        m_info->SetDebugCycle(Text(text));
        break;
    case StatusField::Errors:
        m_info->SetErrors(Text(text), alert);
        break;
    }
}

void TBaseForm::RefreshViews()
{
    if (!m_diagram || !m_table)
        return;
    m_diagram->Refresh();
    m_table->Refresh();
    const int available = centralWidget() ? centralWidget()->height() : height();
    m_diagram->setFixedHeight(views::DiagramHeight(
        m_diagram->RowCount(), m_diagram->DiagramGeometry().rowHeight, std::max(available, 60)));
}

void TBaseForm::FillInformation()
{
    const TQuorvik &doc = *m_document;
    const QString unknown = QStringLiteral("?");
    if (!FileOpen()) {
        m_info->SetContactFile(unknown, QString());
        m_info->SetNumberSystem(unknown);
        m_info->SetCycles(unknown);
        m_info->SetStartTact(unknown);
        m_info->SetErrors(unknown, false);
        m_info->SetTestName(unknown);
        return;
    }
    const QString contacts = Text(doc.Cnt().FileName);
    m_info->SetContactFile(contacts.isEmpty() ? unknown : QFileInfo(contacts).fileName(), contacts);
    m_info->SetNumberSystem(QString::number(doc.Doc().Sys));
    if (const STest *test = doc.Test(doc.CurrentTest())) {
        m_info->SetCycles(QString::number(test->Cycles));
        m_info->SetStartTact(QString::number(test->StartTact));
        m_info->SetTestName(Text(test->Name));
    } else {
        m_info->SetCycles(QStringLiteral("-"));
        m_info->SetStartTact(QStringLiteral("-"));
        m_info->SetTestName(QString());
    }
    const int pattern = m_desk ? m_desk->Tester().Settings().probeMode : TesterSettings().probeMode;
    m_info->SetProbeThresholds(desk::ProbeThresholdsText(pattern));
}

void TBaseForm::UpdateState()
{
    if (!m_runBar)
        return; // still building
    const TQuorvik &doc = *m_document;
    desk::DeskState state;
    state.fileOpen = FileOpen();
    state.singleTest = SingleTest();
    state.running = m_running;
    state.shown = m_shown;
    state.solid = doc.SolidTest();
    state.debug = doc.DebugMode();
    state.probe = doc.ProbeMode();
    state.cycles = doc.CyclesMode();
    desk::ApplyCommandStates(desk::CommandStates(state), m_actions, *m_runBar, *m_info);
}

} // namespace qv
