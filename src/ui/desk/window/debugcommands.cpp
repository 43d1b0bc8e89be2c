#include "ui/desk/window/debugcommands.h"

#include "execution/desk/desksession.h"
#include "execution/port/testerport.h"
#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/content/maddresses.h"
#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"
#include "ui/debug/debugrange.h"
#include "ui/debug/editdebug.h"
#include "ui/debug/maddressdialog.h"
#include "ui/desk/infopanel.h"
#include "ui/desk/mainactions.h"
#include "ui/probe/zondmodewindow.h"
#include "ui/views/diagramview.h"
#include "ui/views/tableview.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace qv::desk {
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

DebugCommands::DebugCommands(Parts parts, std::function<void()> refill)
    : QObject(&parts.window)
    , m_parts(parts)
    , m_refill(std::move(refill))
{
    const MainActions &a = m_parts.actions;
    connect(a.debugTct, &QAction::triggered, this, [this] { OpenRange(); });
    connect(a.debugCycle, &QAction::triggered, this, [this] { OpenCycle(); });
    InfoPanel &info = m_parts.info;
    connect(&info, &InfoPanel::CycleDialogRequested, this, [this] { OpenCycle(); });
    connect(&info, &InfoPanel::PreviousCycleRequested, this, [this] { StepCycle(-1); });
    connect(&info, &InfoPanel::NextCycleRequested, this, [this] { StepCycle(1); });
    connect(&info, &InfoPanel::ProbeModeDialogRequested, this, [this] { OpenProbeThresholds(); });
    DiagramView &diagram = m_parts.diagram;
    connect(&diagram, &DiagramView::DebugMenuRequested, this,
            [this](int tact, const QPoint &globalPos) { ShowRangeMenu(tact, globalPos); });
    connect(&diagram, &DiagramView::ProbeSwitchRequested, this,
            [this](int probe) { SwitchProbe(probe); });
    connect(&diagram, &DiagramView::ProbeSelected, this, [this](int probe) { SelectProbe(probe); });
    TableView &table = m_parts.table;
    connect(&table, &TableView::ActiveCycleRequested, this, [this](int cycle) { SetCycle(cycle); });
    connect(&table, &TableView::DebugValueEditRequested, this,
            [this](char kind, int number, int row) { EditValue(kind, number, row); });
}

void DebugCommands::StepCycle(int delta)
{
    STest *test = m_parts.document.CurrentTestRecord();
    if (!test || test->Cycles <= 0)
        return;
    const int cycles = test->Cycles;
    SetCycle(((m_parts.document.GetActiveCycle() + delta) % cycles + cycles) % cycles);
}

void DebugCommands::SetCycle(int cycle)
{
    TQuorvik &doc = m_parts.document;
    // Probe mode goes off and on again around the change, so that the probe
    // rows of the new cycle are shown.
    const bool probe = doc.ProbeMode();
    if (probe)
        doc.SetProbeMode(false);
    doc.SetActiveCycle(cycle);
    if (probe)
        doc.SetProbeMode(true);
    doc.UpdateStatus(TQuorvik::StatusUpdate::DebugCycle);
    m_refill();
}

void DebugCommands::OpenRange()
{
    STest *test = m_parts.document.CurrentTestRecord();
    if (!test)
        return;
    debug::TfmDebugTct dialog(*test, &m_parts.window);
    if (dialog.exec() == QDialog::Accepted)
        m_parts.diagram.viewport()->update();
}

void DebugCommands::ShowRangeMenu(int tact, const QPoint &globalPos)
{
    STest *test = m_parts.document.CurrentTestRecord();
    if (!test || !m_parts.document.DebugMode())
        return;
    QMenu menu(&m_parts.window);
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
        m_parts.diagram.viewport()->update();
}

void DebugCommands::OpenCycle()
{
    const STest *test = m_parts.document.CurrentTestRecord();
    if (!test)
        return;
    debug::TfmDebugCycle dialog(*test, &m_parts.window);
    if (dialog.exec() == QDialog::Accepted)
        SetCycle(dialog.Chosen());
}

void DebugCommands::EditValue(char kind, int number, int row)
{
    TQuorvik &doc = m_parts.document;
    STest *test = doc.CurrentTestRecord();
    if (!test)
        return;
    const TextGrid &grid = doc.TableView();
    if (grid.Cell(ColInputName, row).find(kNoteSeparator) != std::string::npos) {
        if (const auto side = MAddressSideOfWord(*test, doc.MList(), number, doc.Doc().Tyres)) {
            debug::TfmMAddress dialog(doc, *test, *side, &m_parts.window);
            dialog.move(BesideCursor(dialog.sizeHint()));
            if (dialog.exec() == QDialog::Accepted)
                m_refill();
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
                                        CycleOfRow(doc.CycleRows(), row, test->ActiveCycle)};
    debug::TfmEditDebug dialog(
        doc, *test, target, QString::fromStdString(grid.Cell(ColInputDebug, row)), &m_parts.window);
    dialog.move(BesideCursor(dialog.sizeHint()));
    if (dialog.exec() == QDialog::Accepted)
        m_refill();
}

void DebugCommands::SwitchProbe(int probe)
{
    STest *test = m_parts.document.CurrentTestRecord();
    if (!test || test->ActiveCycle < 0 ||
        static_cast<std::size_t>(test->ActiveCycle) >= test->Probes.size())
        return;
    auto &entries = test->Probes[static_cast<std::size_t>(test->ActiveCycle)];
    if (probe > 0 && static_cast<std::size_t>(probe) < entries.size()) {
        SZond &entry = entries[static_cast<std::size_t>(probe)];
        entry.On = !entry.On;
        m_parts.diagram.viewport()->update();
    }
}

void DebugCommands::SelectProbe(int probe)
{
    STest *test = m_parts.document.CurrentTestRecord();
    if (!test)
        return;
    test->EnsureProbeArrays();
    const auto cycle = static_cast<std::size_t>(test->ActiveCycle);
    if (cycle < test->ProbeFlags.size() && probe >= 0 &&
        probe < test->ProbeCount(test->ActiveCycle)) {
        test->ProbeFlags[cycle] = probe;
        m_parts.diagram.viewport()->update();
    }
}

void DebugCommands::OpenProbeThresholds()
{
    // An older unit has fixed thresholds: there is nothing to choose.
    if (m_parts.desk == nullptr || m_parts.desk->Tester().DosUnit())
        return;
    TesterSettings settings = m_parts.desk->Tester().Settings();
    probe::TfmZondMode window(settings.probeMode, &m_parts.window);
    if (window.exec() != QDialog::Accepted)
        return;
    settings.probeMode = window.Mask();
    m_parts.desk->Tester().SetSettings(settings);
    m_parts.info.SetProbeThresholds(probe::ThresholdLabel(window.Mask()));
}

} // namespace qv::desk
