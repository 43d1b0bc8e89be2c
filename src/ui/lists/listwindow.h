#pragma once

// ListWindow: the frame shared by the small modal windows that browse one
// kind of item of the current test (input, output and generator words,
// G-cycles, data buses). It owns the header lines (caption label + value
// label, added by the kind), the item spin that steps through the kind's
// items in its stepping order with wrap-around, the cycle spin (1..the
// test's cycles, wrap-around; hidden for kinds without cycles), the
// per-cycle table and the bit table. The kind fills them in ShowItem().
// Each spin has its caption to the left; the window starts at the test's
// active cycle unless the opener names one.

#include <QColor>
#include <QDialog>
#include <QString>
#include <vector>

class QGridLayout;
class QLabel;
class QSpinBox;
class QTableWidget;
class QVBoxLayout;

namespace qv {

class TQuorvik;
struct STest;

namespace lists {

// Colours the lists paint values in.
inline const QColor kOlive{0x80, 0x80, 0x00};
inline const QColor kTeal{0x00, 0x80, 0x80};
inline const QColor kGrey{0x80, 0x80, 0x80};
inline const QColor kRed{0xFF, 0x00, 0x00};
inline constexpr const char *kNotRead = "- - -";
inline constexpr int kMaxShownCycles = 16;

// The n-th (0-based) field of a text joined by "/"; "" past the last one.
QString JoinedField(const std::string &text, int n);

class ListWindow : public QDialog
{
    Q_OBJECT

public:
    QSpinBox *ItemSpin() const { return m_itemSpin; }
    QSpinBox *CycleSpin() const { return m_cycleSpin; }
    QTableWidget *CycleTable() const { return m_cycleTable; }
    QTableWidget *BitTable() const { return m_bitTable; }
    QLabel *CountLabel() const { return m_count; }
    // The value label of a header line; "" when the kind has no such line
    // or it is hidden.
    QString HeaderValue(const QString &caption) const;
    // The item shown (its number within the kind); the cycle, 1-based.
    int CurrentItem() const;
    int CurrentCycle() const { return m_cycle; }
    // Shows a cycle (1-based, clamped to the test's cycles).
    void ShowCycle(int cycle);

protected:
    // withCycles: the kind has per-cycle values and a cycle spin.
    ListWindow(TQuorvik &doc, STest &test, bool withCycles, QWidget *parent);

    // The stepping order of the kind's items, and the item shown first
    // (the first of the order when `start` is not in it).
    void SetItems(std::vector<int> items, int start);
    // A header line "caption value"; hidden until setHeader gives a value.
    void AddHeader(const QString &caption);
    void SetHeader(const QString &caption, const QString &value);
    void HideHeader(const QString &caption);
    // The count label, bottom left.
    void SetCount(const QString &text);
    // Adds "&Закрыть" below the tables.
    void AddCloseButton();

    // Columns of the per-cycle table and the bit table.
    void SetCycleColumns(const QStringList &headers);
    void SetBitColumns(const QStringList &headers);
    // Rows of the per-cycle table: one per cycle of the test, at most 16.
    int ShownCycles() const;
    void SetCell(QTableWidget *table, int row, int column, const QString &text,
                 const QColor &colour = Qt::black);
    // Contact name of bit `bit` (0-based) of bus `bus`, "" when none.
    QString ContactName(int bus, int bit) const;

    // Fills every part for CurrentItem() and CurrentCycle().
    virtual void ShowItem() = 0;
    // ShowItem(), then the window widens when a table's columns would not
    // show their headers and texts whole.
    void Refresh();
    void showEvent(QShowEvent *event) override;

    TQuorvik &m_doc;
    STest &m_test;

private:
    // What each column of a table needs to show its header and texts whole.
    static std::vector<int> ColumnNeeds(const QTableWidget &table);
    // Every column as wide as it needs, the room left shared out.
    static void FitColumns(QTableWidget &table);

    QVBoxLayout *m_layout = nullptr;
    QGridLayout *m_headers = nullptr;
    std::vector<QLabel *> m_headerCaptions;
    std::vector<QLabel *> m_headerValues;
    QSpinBox *m_itemSpin = nullptr;
    QSpinBox *m_cycleSpin = nullptr;
    QTableWidget *m_cycleTable = nullptr;
    QTableWidget *m_bitTable = nullptr;
    QLabel *m_count = nullptr;
    std::vector<int> m_items;
    int m_cycle = 1;
};

} // namespace lists
} // namespace qv
