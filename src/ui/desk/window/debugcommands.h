#pragma once

// What the main window's debug-mode commands do: the tact range (dialog and
// the diagram's menu), the active cycle (dialog, "<" and ">", the table's
// cycle column), the debug value of a word chosen in the table, the probe
// switches of the diagram and the probe thresholds of the information panel.
// The window's views, panel and document outlive this object (a child of
// the window); it refills the shown view through the callback it is given.

#include <QObject>
#include <functional>

class QPoint;
class QWidget;

namespace qv {

class DeskSession;
class DiagramView;
class TableView;
class TQuorvik;

namespace desk {

class InfoPanel;
struct MainActions;

class DebugCommands : public QObject
{
public:
    struct Parts
    {
        QWidget &window; // parents the dialogs and this object
        TQuorvik &document;
        DeskSession *desk; // null: no unit (the thresholds are not offered)
        const MainActions &actions;
        DiagramView &diagram;
        TableView &table;
        InfoPanel &info;
    };
    // Connects the commands; `refill` fills and repaints the shown view.
    DebugCommands(Parts parts, std::function<void()> refill);

    // "<" and ">": the active cycle steps with wrap-around.
    void StepCycle(int delta);
    // Makes `cycle` (0-based) the active cycle of the current test.
    void SetCycle(int cycle);

private:
    void OpenRange();
    void ShowRangeMenu(int tact, const QPoint &globalPos);
    void OpenCycle();
    // A click on the debug value of word `number` of kind `kind` in table row `row`.
    void EditValue(char kind, int number, int row);
    void SwitchProbe(int probe);
    void SelectProbe(int probe);
    void OpenProbeThresholds();

    Parts m_parts;
    std::function<void()> m_refill;
};

} // namespace desk
} // namespace qv
