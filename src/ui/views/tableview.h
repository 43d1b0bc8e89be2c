#pragma once

// The table widget (sgTable): the document's table content in an
// owner-drawn grid painted by TQorFunc, seven columns sized by the table's
// width and widened to show their texts whole, rows of 16 pixels, and
// clicks turned into commands for the main window. A test whose tacts use
// no words shows the header row and, below it, a line that says so.

#include "ui/grid/stringgrid.h"

#include <array>

namespace qv {

class TQorFunc;
class TQuorvik;

class TableView : public StringGrid
{
    Q_OBJECT

public:
    static constexpr const char *kNoWordsNote = "Такты этого теста не используют слов";

    explicit TableView(TQorFunc &painter, QWidget *parent = nullptr);

    void SetDocument(TQuorvik *document);
    // Takes the document's table content after it was filled.
    void Refresh();
    // Scrolls so that the first row of a cycle (0-based) is the top row.
    void ShowCycle(int cycle);
    // The line shown below the header: kNoWordsNote, or empty.
    QString Note() const;

signals:
    // A click on the cycle column of another cycle (0-based).
    void ActiveCycleRequested(int cycle);
    // A click on a word's name: open its list at its number ('i', 'o', 'g',
    // 'G') and at the cycle of the clicked row (1-based).
    void ListRequested(char kind, int number, int cycle);
    // Debug mode: a click on the debug value of an input-side word.
    void DebugValueEditRequested(char kind, int number, int row);
    // Debug mode: the address stepping mark of a row's debug value moved on.
    void AddressMarkAdvanced(int row, int mark);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void ApplyGeometry();
    void OnReleased(int col, int row, Qt::MouseButton button, const QPoint &globalPos);

    TQorFunc &m_painter;
    TQuorvik *m_document = nullptr;
    // What each column's texts need, measured when the content comes.
    std::array<int, 7> m_textNeeds{};
};

} // namespace qv
