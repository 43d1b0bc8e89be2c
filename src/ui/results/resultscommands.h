#pragma once

// ResultsCommands: the results database in the window program. It keeps
// the recorder of the database the settings name ("База результатов", else
// results.sqlite in the program's data folder) and makes it again when the
// setting changes; before each run it asks for the board's serial number
// when the setting "Спрашивать заводской номер платы" is on, and makes the
// run's recording; it adds "Журнал прогонов…" to the file menu. An outage
// of the database is told once, in a window that does not hold up the
// runs.

#include "results/databaseurl.h"

#include <QObject>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QWidget;

namespace qv {

class SettingsStore;
class TCP;
class TQuorvik;

namespace results {
class ResultsRecorder;
class RunRecording;
} // namespace results

namespace results_ui {

class JournalWindow;

class ResultsCommands : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *kJournalCaption = "Журнал прогонов…";

    // spoolRoot: where the spool folders go (the program's data folder).
    ResultsCommands(QWidget &window, const SettingsStore &store, std::filesystem::path spoolRoot);
    ~ResultsCommands() override;

    // Before a run: the recording of it, or nullopt when the operator
    // cancelled the serial number (no run then). A null recording: the
    // database setting is unusable (said once).
    std::optional<std::unique_ptr<results::RunRecording>> BeginRun(const TQuorvik &document,
                                                                   const TCP &tester);
    // The serial number prompt; tests replace it.
    using SerialAsker = std::function<std::optional<std::string>()>;
    void SetSerialAsker(SerialAsker asker) { m_askSerial = std::move(asker); }

    // The recorder of the current setting; null when it is unusable.
    results::ResultsRecorder *Recorder();
    QAction *JournalAction() const { return m_journalAction; }
    // Opens (or raises) the journal on the current database.
    JournalWindow *OpenJournal();
    // The database the settings name now; nullopt with *problem when unusable.
    std::optional<results::DatabaseUrl> CurrentDatabase(std::string *problem) const;

    static QString OutageText(const std::string &problem);

private:
    void ShowOutage(const QString &text);

    QWidget &m_window;
    const SettingsStore &m_store;
    std::filesystem::path m_spoolRoot;
    std::string m_recorderSetting; // the setting the recorder was made for
    std::string m_refusedSetting;  // an unusable setting already reported
    std::unique_ptr<results::ResultsRecorder> m_recorder;
    QAction *m_journalAction = nullptr;
    QPointer<JournalWindow> m_journal;
    SerialAsker m_askSerial;
};

} // namespace results_ui
} // namespace qv
