#pragma once

// "Журнал прогонов": the runs recorded in the results database. Filters
// (dates, test file, serial number, verdict, operator, bench) choose the
// runs; the table loads them a page at a time; a run's details show its
// tests, wrong words, failing contacts and diagnosis; "Экспорт CSV…" writes
// every run the filters choose. The pages "Выход годных", "Отказы" and
// "Плата" chart the same runs.
//
// The window reads through a connection of its own on the window's thread;
// it never writes.

#include "results/databaseurl.h"
#include "results/resultsdb.h"

#include <QDialog>
#include <functional>
#include <memory>

class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace qv::results_ui {

class JournalModel;

class JournalWindow : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char *kTitle = "Журнал прогонов";

    explicit JournalWindow(const results::DatabaseUrl &url, QWidget *parent = nullptr);
    ~JournalWindow() override;

    // Whether the database could be read (else the reason is shown in the window).
    bool Connected() const { return m_db != nullptr; }
    // Reads the filters and shows the runs and charts again.
    void Apply();
    // The filters as the fields hold them.
    results::RunFilter Filter() const;

    // The save dialog of the CSV export ("" = cancelled); tests replace it.
    using PathChooser = std::function<QString()>;
    void SetPathChooser(PathChooser chooser) { m_chooser = std::move(chooser); }
    // Writes every chosen run to a CSV file; false when nothing was written.
    bool ExportCsv();

    JournalModel *Model() const { return m_model; }
    QTableView *Table() const { return m_table; }
    QPlainTextEdit *Details() const { return m_details; }
    QLabel *CountLabel() const { return m_count; }
    QTabWidget *Pages() const { return m_pages; }
    QChartView *YieldView() const { return m_yieldView; }
    QChartView *ParetoView() const { return m_paretoView; }
    QChartView *SerialView() const { return m_serialView; }

    // The text of a run's details.
    static QString DetailsText(const results::RunRecord &run);

private:
    QWidget *BuildFilters();
    QWidget *BuildRunsPage();
    QWidget *BuildYieldPage();
    QWidget *BuildParetoPage();
    QWidget *BuildSerialPage();
    void ShowDetails();
    void RefreshYield();
    void RefreshPareto();
    void RefreshSerial();
    void ShowProblem(const QString &text);

    std::unique_ptr<results::ResultsDatabase> m_db;
    JournalModel *m_model;
    QLineEdit *m_since = nullptr;
    QLineEdit *m_until = nullptr;
    QLineEdit *m_file = nullptr;
    QLineEdit *m_serial = nullptr;
    QComboBox *m_verdict = nullptr;
    QLineEdit *m_operator = nullptr;
    QLineEdit *m_host = nullptr;
    QLabel *m_count = nullptr;
    QLabel *m_problem = nullptr;
    QTabWidget *m_pages = nullptr;
    QTableView *m_table = nullptr;
    QPlainTextEdit *m_details = nullptr;
    QComboBox *m_yieldBy = nullptr;
    QComboBox *m_paretoOf = nullptr;
    QChartView *m_yieldView = nullptr;
    QChartView *m_paretoView = nullptr;
    QChartView *m_serialView = nullptr;
    PathChooser m_chooser;
};

} // namespace qv::results_ui
