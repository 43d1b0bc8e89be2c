#pragma once

// The timing diagram widget (sgD): the document's diagram content in an
// owner-drawn grid painted by TQorFunc, with its geometry and scaling, the
// corner that names the focused line and tact, the hints over the header,
// and mouse actions turned into commands for the main window.

#include "paint/views/diagramgeometry.h"
#include "ui/grid/stringgrid.h"

#include <string>

namespace qv {

class TQorFunc;
class TQuorvik;
struct SZond;

class DiagramView : public StringGrid
{
    Q_OBJECT

public:
    // The painter must outlive the view.
    explicit DiagramView(TQorFunc &painter, QWidget *parent = nullptr);

    // The document whose diagram content is shown (null: nothing).
    void SetDocument(TQuorvik *document);
    // Takes the document's diagram content after it was filled: the grid's
    // size, the draw record of the current test, a repaint.
    void Refresh();

    // V marks (one character per sampled tact, its code the tact number)
    // and the signal line (1-based, 0 = none) that shows them.
    void SetVMarks(std::string marks, int line);
    // Contacts (1..192) whose level lines are marked as suspects of the
    // diagnosis; empty: none.
    void SetSuspectContacts(std::vector<int> contacts);
    const std::vector<int> &SuspectContacts() const { return m_suspects; }

    const views::DiagramGeometry &DiagramGeometry() const { return m_geometry; }
    void ScaleUp();
    void ScaleDown();
    void SetScaleSteps(int horizontal, int vertical);
    // Tact columns fitted into the grid's width, rows at the base height.
    void AutoFit();
    // Fonts measured again (after a font change).
    void ResetGeometry();

    // The header hint of a cell ("" where there is none).
    QString HeaderHint(int col, int row) const;

signals:
    // A header press on a word or function tact: open that list at the
    // number ('i', 'o', 'g', 'G', 'F', 'M', 'P', 'S').
    void ListRequested(char kind, int number);
    // Probe mode: the icon of probe `probe` of the active cycle was pressed.
    void ProbeSwitchRequested(int probe);
    // Probe mode: a press elsewhere on a probe row makes it the current one.
    void ProbeSelected(int probe);
    // Probe mode: right button released on a probe label.
    void ProbeMenuRequested(int probe, const QPoint &globalPos);
    // Debug mode: right button released on a tact column (0-based tact).
    void DebugMenuRequested(int tact, const QPoint &globalPos);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void ApplyGeometry();
    void ShowFocusInCorner(int col, int row);
    // The probe row's index, or -1 when `row` is not a probe row.
    int ProbeAt(int row) const;
    // Entry `probe` of the current test's active cycle, or null.
    const SZond *ProbeEntry(int probe) const;

    TQorFunc &m_painter;
    TQuorvik *m_document = nullptr;
    views::DiagramGeometry m_geometry;
    std::string m_vMarks;
    int m_vLine = 0;
    std::vector<int> m_suspects;
};

} // namespace qv
