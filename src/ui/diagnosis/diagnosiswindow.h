#pragma once

// The windows of the diagnosis: "Диагноз" (the contacts at fault that the
// last run points to, each with its kind, the wrong bits it explains, its
// passes, the faults the test cannot tell from it and the words and cycles
// behind it) and "Покрытие" (which faults of each contact the tests of the
// file can see). Both show values; they change nothing.

#include "model/diagnosis/coverage.h"
#include "model/diagnosis/diagnosis.h"

#include <QDialog>

class QLabel;
class QTableWidget;
class QTreeWidget;

namespace qv {

class TQuorvik;

namespace diagnosis {

// The contacts a diagnosis suspects: those of its hypotheses.
std::vector<int> SuspectContacts(const Diagnosis &diagnosis);

class DiagnosisWindow : public QDialog
{
    Q_OBJECT

public:
    enum Column { ColContacts, ColKind, ColExplains, ColPasses, ColCount };

    DiagnosisWindow(const TQuorvik &doc, const Diagnosis &diagnosis, QWidget *parent = nullptr);

    QLabel *Summary() const { return m_summary; }
    // One top item per hypothesis (then one for the unexplained bits); its
    // children, each a whole line, the faults the test cannot tell from it
    // ("неотличимо от: ...") and then the wrong bits behind it.
    QTreeWidget *Hypotheses() const { return m_tree; }

private:
    QLabel *m_summary = nullptr;
    QTreeWidget *m_tree = nullptr;
};

class CoverageWindow : public QDialog
{
    Q_OBJECT

public:
    enum Column { ColContact, ColName, ColRole, ColStuckLow, ColStuckHigh, ColBridges, ColCount };

    // tests: 0-based, the ones whose coverage is shown.
    CoverageWindow(const TQuorvik &doc, const std::vector<int> &tests, QWidget *parent = nullptr);

    QTableWidget *Table() const { return m_table; }
    QLabel *Total() const { return m_total; }
    QLabel *Blind() const { return m_blind; }

private:
    QTableWidget *m_table = nullptr;
    QLabel *m_total = nullptr;
    QLabel *m_blind = nullptr;
};

} // namespace diagnosis
} // namespace qv
