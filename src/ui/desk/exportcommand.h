#pragma once

// "Экспорт…" of the file menu: the current test as a value change dump
// (.vcd, for waveform viewers) or as CSV (.csv, for spreadsheets), with the
// values read when the test has run. The file is written by the same code
// as qortool export; a failed write is shown and leaves no file behind.

#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace qv {

class TQuorvik;

namespace desk {

class ExportCommand : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *kCaption = "Экспорт…";
    static constexpr const char *kVcdFilter = "Изменения сигналов VCD (*.vcd)";
    static constexpr const char *kCsvFilter = "Таблица CSV (*.csv)";

    // The action goes into `fileMenu` before `before` (null: at the end);
    // it is enabled while one test of an open file is current.
    ExportCommand(const TQuorvik &document, QMenu &fileMenu, QAction *before, QWidget *window);

    // The save dialog: the path chosen ("" = cancelled) and the filter
    // chosen, from a suggested path. Tests replace it.
    using PathChooser = std::function<QString(const QString &suggested, QString *filter)>;
    void SetPathChooser(PathChooser chooser) { m_chooser = std::move(chooser); }

    QAction *Action() const { return m_action; }
    // Asks for the path and writes the file; false when nothing was written.
    bool Run();

private:
    void UpdateEnabled();
    QString SuggestedPath() const;

    const TQuorvik &m_document;
    QWidget *m_window;
    QAction *m_action;
    PathChooser m_chooser;
};

} // namespace desk
} // namespace qv
