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

bool TBaseForm::fileOpen() const
{
    return !m_document->Doc().FileName.empty() && m_document->Doc().NTest > 0;
}

bool TBaseForm::singleTest() const
{
    return m_document->CurrentTest() >= 0 && m_document->CurrentTest() < m_document->Doc().NTest;
}

void TBaseForm::selectTest(int index)
{
    if (!fileOpen())
        return;
    // Any other tab number is outside the file: the document refuses it.
    m_document->SelectTest(index == kAllTests ? -1 : (index < 0 ? kAllTests : index));
}

void TBaseForm::onTestSelected(int index)
{
    if (index < 0) {
        hideViews();
        updateState();
        m_info->pressTab(kAllTests);
        fillInformation();
        return;
    }
    m_diagram->setLeftCol(kDiagramFirstTactCol);
    if (m_shown == desk::ShownView::None)
        m_shown = m_lastView;
    refillShownView();
    fillInformation();
    updateState();
    m_info->pressTab(index);
    showTestComment();
}

void TBaseForm::onSelectionRefused(int current)
{
    // The pressed tab stays as it was.
    m_info->pressTab(current < 0 ? kAllTests : current);
}

void TBaseForm::refillShownView()
{
    TQuorvik &doc = *m_document;
    if (m_shown == desk::ShownView::Diagram) {
        m_actions.diagramm->setChecked(true);
        m_actions.table->setChecked(false);
        m_table->hide();
        m_diagram->show();
        doc.FillDiagramView();
        m_diagram->refresh();
        if (option(TSettings::OptFitColumnsOnOpen) != 0)
            m_diagram->autoFit();
    } else if (m_shown == desk::ShownView::Table) {
        m_actions.diagramm->setChecked(false);
        m_actions.table->setChecked(true);
        m_diagram->hide();
        m_table->show();
        doc.FillTableView();
        m_table->refresh();
    }
    refreshViews();
}

void TBaseForm::hideViews()
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
    refreshViews();
}

void TBaseForm::showTestComment()
{
    if (option(TSettings::OptCommentsOnTestChange) == 0)
        return;
    const int slot = m_document->CurrentTest() + 1;
    if (TfmComment::HasComment(*m_document, slot)) {
        m_comment->Show(slot);
        activateWindow();
    } else {
        m_comment->Close();
    }
}

void TBaseForm::showDiagram()
{
    if (!fileOpen())
        return;
    if (!singleTest()) {
        Mesbo().Show("Просмотр таблицы/диаграммы возможен только для одного теста", MbWarning,
                     kProductName);
        m_actions.diagramm->setChecked(m_shown == desk::ShownView::Diagram);
        return;
    }
    m_shown = desk::ShownView::Diagram;
    m_lastView = desk::ShownView::Diagram;
    refillShownView();
    m_actions.fullTable->setChecked(false);
    m_actions.paredTable->setChecked(false);
    updateState();
}

void TBaseForm::showTable()
{
    if (!fileOpen())
        return;
    if (!singleTest()) {
        Mesbo().Show("Просмотр таблицы/диаграммы возможен только для одного теста", MbWarning,
                     kProductName);
        m_actions.table->setChecked(m_shown == desk::ShownView::Table);
        return;
    }
    m_shown = desk::ShownView::Table;
    m_lastView = desk::ShownView::Table;
    refillShownView();
    updateState();
    setTableForm(m_document->FullTable());
}

void TBaseForm::setTableForm(bool full)
{
    if (m_shown != desk::ShownView::Table)
        return;
    m_actions.fullTable->setChecked(full);
    m_actions.paredTable->setChecked(!full);
    m_document->SetFullTable(full); // refills the table
    m_table->refresh();
}

void TBaseForm::toggleSolidTest()
{
    if (!fileOpen())
        return;
    m_document->SetSolidTest(!m_document->SolidTest());
    updateState();
}

void TBaseForm::toggleDebug()
{
    if (!fileOpen())
        return;
    // The document refuses with "все" selected and releases the button.
    m_document->SetDebugMode(!m_document->DebugMode());
    refillShownView();
    updateState();
}

void TBaseForm::toggleZond()
{
    if (!fileOpen() || !m_document->DebugMode())
        return;
    m_document->SetProbeMode(!m_document->ProbeMode());
    refillShownView();
    updateState();
}

void TBaseForm::toggleCycles()
{
    if (!fileOpen() || !m_document->DebugMode())
        return;
    m_document->SetCyclesMode(!m_document->CyclesMode());
    updateState();
}

void TBaseForm::onFileOpened()
{
    m_info->showTabs(m_document->Doc().NTest);
    // A file without a number base (SYS 0) ticks neither command.
    m_actions.sys8->setChecked(m_document->Doc().Sys == 8);
    m_actions.sys16->setChecked(m_document->Doc().Sys == 16);
    fillInformation();
}

void TBaseForm::onFileClosed()
{
    m_info->showTabs(0);
    m_info->pressTab(-1);
    m_info->resetTabResults();
    m_shown = desk::ShownView::None;
    m_diagram->hide();
    m_table->hide();
    m_diagram->refresh();
    m_table->refresh();
    m_actions.diagramm->setChecked(false);
    m_actions.table->setChecked(false);
    m_actions.fullTable->setChecked(false);
    m_actions.paredTable->setChecked(false);
    showTitle();
    fillInformation();
}

void TBaseForm::showTitle()
{
    const QString product = QString::fromUtf8(kProductName);
    const std::string &file = m_document->Doc().FileName;
    setWindowTitle(file.empty()
                       ? product
                       : QFileInfo(Text(file)).fileName() + QStringLiteral(" - ") + product);
}

bool TBaseForm::dosUnit() const
{
    return m_desk == nullptr || m_desk->Tester().DosUnit();
}

void TBaseForm::onModeChanged(int mode, bool on)
{
    desk::RunBar &bar = *m_runBar;
    switch (static_cast<DocumentMode>(mode)) {
    case DocumentMode::Solid:
        m_actions.solidTest->setChecked(on);
        bar.solid()->setChecked(on);
        break;
    case DocumentMode::Debug:
        m_actions.debug->setChecked(on);
        bar.debug()->setChecked(on);
        m_info->setDebugIndicators(on, !dosUnit());
        break;
    case DocumentMode::Probe:
        m_actions.zond->setChecked(on);
        bar.zond()->setChecked(on);
        break;
    case DocumentMode::Cycles:
        m_actions.cycles->setChecked(on);
        bar.cycles()->setChecked(on);
        break;
    case DocumentMode::FullTable:
        break;
    }
}

void TBaseForm::onStatusChanged(StatusField field, const std::string &text, bool alert)
{
    switch (field) {
    case StatusField::DebugCycle:
        m_info->setDebugCycle(Text(text));
        break;
    case StatusField::Errors:
        m_info->setErrors(Text(text), alert);
        break;
    }
}

void TBaseForm::refreshViews()
{
    if (!m_diagram || !m_table)
        return;
    m_diagram->refresh();
    m_table->refresh();
    const int available = centralWidget() ? centralWidget()->height() : height();
    m_diagram->setFixedHeight(views::DiagramHeight(
        m_diagram->rowCount(), m_diagram->diagramGeometry().rowHeight, std::max(available, 60)));
}

void TBaseForm::fillInformation()
{
    const TQuorvik &doc = *m_document;
    const QString unknown = QStringLiteral("?");
    if (!fileOpen()) {
        m_info->setContactFile(unknown, QString());
        m_info->setNumberSystem(unknown);
        m_info->setCycles(unknown);
        m_info->setStartTact(unknown);
        m_info->setErrors(unknown, false);
        m_info->setTestName(unknown);
        return;
    }
    const QString contacts = Text(doc.Cnt().FileName);
    m_info->setContactFile(contacts.isEmpty() ? unknown : QFileInfo(contacts).fileName(), contacts);
    m_info->setNumberSystem(QString::number(doc.Doc().Sys));
    if (const STest *test = doc.Test(doc.CurrentTest())) {
        m_info->setCycles(QString::number(test->Cycles));
        m_info->setStartTact(QString::number(test->StartTact));
        m_info->setTestName(Text(test->Name));
    } else {
        m_info->setCycles(QStringLiteral("-"));
        m_info->setStartTact(QStringLiteral("-"));
        m_info->setTestName(QString());
    }
    const int pattern = m_desk ? m_desk->Tester().Settings().probeMode : TesterSettings().probeMode;
    m_info->setProbeThresholds(desk::ProbeThresholdsText(pattern));
}

void TBaseForm::updateState()
{
    if (!m_runBar)
        return; // still building
    const TQuorvik &doc = *m_document;
    desk::DeskState state;
    state.fileOpen = fileOpen();
    state.singleTest = singleTest();
    state.running = m_running;
    state.shown = m_shown;
    state.solid = doc.SolidTest();
    state.debug = doc.DebugMode();
    state.probe = doc.ProbeMode();
    state.cycles = doc.CyclesMode();
    desk::ApplyCommandStates(desk::CommandStates(state), m_actions, *m_runBar, *m_info);
}

} // namespace qv
