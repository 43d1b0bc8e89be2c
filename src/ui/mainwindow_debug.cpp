// The main window in debug mode: the tact range (dialog and diagram menu),
// the debug cycle (dialog, "<" and ">", the table's cycle column) and the
// debug value of a word chosen in the table.

#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/document/stest.h"
#include "model/functions/maddresses.h"
#include "ui/debug/debugrange.h"
#include "ui/debug/editdebug.h"
#include "ui/debug/maddressdialog.h"
#include "ui/desk/infopanel.h"
#include "ui/mainwindow.h"
#include "ui/views/diagramview.h"
#include "ui/views/tableview.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace qv {
namespace {

// The cycle (0-based) a table row belongs to: the last cycle that starts at
// or before it.
int CycleOfRow(const std::vector<std::int32_t> &cycleRows, int row, int fallback)
{
    int cycle = -1;
    for (std::size_t c = 0; c < cycleRows.size(); ++c) {
        if (cycleRows[c] <= row)
            cycle = static_cast<int>(c);
    }
    return cycle >= 0 ? cycle : fallback;
}

// A debug dialog opens 30 pixels right of the mouse pointer, or left of it
// when it would leave the screen there.
QPoint BesideCursor(const QSize &size)
{
    const QPoint pointer = QCursor::pos();
    QPoint place = pointer + QPoint(30, 0);
    if (const QScreen *screen = QGuiApplication::screenAt(pointer)) {
        if (place.x() + size.width() > screen->availableGeometry().right())
            place.setX(pointer.x() - 30 - size.width());
    }
    return place;
}

} // namespace

void TBaseForm::connectDebugCommands()
{
    connect(m_actions.debugTct, &QAction::triggered, this, [this] { openDebugTct(); });
    connect(m_actions.debugCycle, &QAction::triggered, this, [this] { openDebugCycle(); });
    connect(m_info, &desk::InfoPanel::cycleDialogRequested, this, [this] { openDebugCycle(); });
    connect(m_diagram, &DiagramView::debugMenuRequested, this, &TBaseForm::showDebugMenu);
    connect(m_table, &TableView::activeCycleRequested, this, &TBaseForm::setDebugCycle);
    connect(m_table, &TableView::debugValueEditRequested, this, &TBaseForm::editDebugValue);
}

void TBaseForm::openDebugTct()
{
    STest *test = m_document->CurrentTestRecord();
    if (!test)
        return;
    debug::TfmDebugTct dialog(*test, this);
    if (dialog.exec() == QDialog::Accepted)
        m_diagram->viewport()->update();
}

void TBaseForm::showDebugMenu(int tact, const QPoint &globalPos)
{
    STest *test = m_document->CurrentTestRecord();
    if (!test || !m_document->DebugMode)
        return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("debugMenu"));
    QAction *start = menu.addAction(QStringLiteral("Задать начальный такт отладки"));
    QAction *end = menu.addAction(QStringLiteral("Задать конечный такт отладки"));
    QAction *chosen = menu.exec(globalPos);
    bool changed = false;
    if (chosen == start)
        changed = debug::SetDebugStart(*test, tact);
    else if (chosen == end)
        changed = debug::SetDebugEnd(*test, tact);
    if (changed)
        m_diagram->viewport()->update();
}

void TBaseForm::openDebugCycle()
{
    const STest *test = m_document->CurrentTestRecord();
    if (!test)
        return;
    debug::TfmDebugCycle dialog(*test, this);
    if (dialog.exec() == QDialog::Accepted)
        setDebugCycle(dialog.chosen());
}

void TBaseForm::setDebugCycle(int cycle)
{
    // Probe mode goes off and on again around the change, so that the probe
    // rows of the new cycle are shown.
    const bool probe = m_document->ProbeMode;
    if (probe)
        m_document->SetProbeMode(false);
    m_document->SetActiveCycle(cycle);
    if (probe)
        m_document->SetProbeMode(true);
    m_document->UpdateStatus("debugcycle");
    refillShownView();
}

void TBaseForm::editDebugValue(char kind, int number, int row)
{
    STest *test = m_document->CurrentTestRecord();
    if (!test)
        return;
    const TextGrid &grid = m_document->TableView;
    if (grid.Cell(ColInputName, row).find(kNoteSeparator) != std::string::npos) {
        if (const auto side =
                MAddressSideOfWord(*test, m_document->MList, number, m_document->Doc.Tyres)) {
            debug::TfmMAddress dialog(*m_document, *test, *side, this);
            dialog.move(BesideCursor(dialog.sizeHint()));
            if (dialog.exec() == QDialog::Accepted)
                refillShownView();
            return;
        }
    }
    if (kind == 'G') {
        const SWord *word = test->GWords.Find(number);
        if (word && GKindOf(*word) == GKind::ConditionalCycle) {
            Mesbo().Show(Msg(15), MbError, kProductName);
            return;
        }
    }
    const debug::DebugEditTarget target{kind, number,
                                        CycleOfRow(m_document->CycleRows, row, test->ActiveCycle)};
    debug::TfmEditDebug dialog(*m_document, *test, target,
                               QString::fromStdString(grid.Cell(ColInputDebug, row)), this);
    dialog.move(BesideCursor(dialog.sizeHint()));
    if (dialog.exec() == QDialog::Accepted)
        refillShownView();
}

} // namespace qv
