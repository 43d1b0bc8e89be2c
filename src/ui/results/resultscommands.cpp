#include "ui/results/resultscommands.h"

#include "execution/desk/settingsstore.h"
#include "execution/port/testerport.h"
#include "infra/mesbo.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "results/recordbuilder.h"
#include "results/recorder.h"
#include "results/spool.h"
#include "ui/results/journalwindow.h"
#include "ui/results/serialprompt.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QWidget>

namespace qv::results_ui {

ResultsCommands::ResultsCommands(QWidget &window, const SettingsStore &store,
                                 std::filesystem::path spoolRoot)
    : QObject(&window)
    , m_window(window)
    , m_store(store)
    , m_spoolRoot(std::move(spoolRoot))
    , m_askSerial([this] { return AskSerialNumber(&m_window); })
{
    m_journalAction = new QAction(QString::fromUtf8(kJournalCaption), this);
    m_journalAction->setObjectName(QStringLiteral("acJournal"));
    connect(m_journalAction, &QAction::triggered, this, [this] { OpenJournal(); });
    // Into the file menu, before the recent files.
    if (auto *file = window.findChild<QMenu *>(QStringLiteral("mnFile"))) {
        QAction *before = nullptr;
        if (auto *recent = window.findChild<QMenu *>(QStringLiteral("mnRecentFiles")))
            before = recent->menuAction();
        file->insertAction(before, m_journalAction);
        file->insertSeparator(before);
    }
}

ResultsCommands::~ResultsCommands() = default;

std::optional<results::DatabaseUrl> ResultsCommands::CurrentDatabase(std::string *problem) const
{
    const std::string &setting = m_store.Settings().ResultsDatabase;
    if (setting.empty())
        return results::DefaultDatabase();
    return results::ParseDatabaseUrl(setting, problem);
}

QString ResultsCommands::OutageText(const std::string &problem)
{
    return QStringLiteral("База результатов недоступна: %1\n\nРезультаты прогонов сохраняются на "
                          "этом компьютере и будут записаны в базу, когда она станет доступна.")
        .arg(QString::fromStdString(problem));
}

void ResultsCommands::ShowOutage(const QString &text)
{
    // Not modal: the runs go on while the notice is up.
    auto *box = new QMessageBox(QMessageBox::Warning, QString::fromUtf8(kProductName), text,
                                QMessageBox::Ok, &m_window);
    box->setObjectName(QStringLiteral("mbResultsOutage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

results::ResultsRecorder *ResultsCommands::Recorder()
{
    const std::string &setting = m_store.Settings().ResultsDatabase;
    if (m_recorder && m_recorderSetting == setting)
        return m_recorder.get();
    m_recorder.reset();
    std::string problem;
    const auto url = CurrentDatabase(&problem);
    if (!url) {
        if (m_refusedSetting != setting)
            ShowOutage(OutageText(problem));
        m_refusedSetting = setting;
        return nullptr;
    }
    results::ResultsRecorder::Options options;
    options.url = *url;
    options.spoolFolder = results::SpoolFolderFor(m_spoolRoot, url->Text());
    // The writer thread reaches the window through the event loop; the
    // notice is dropped when this object has gone.
    QPointer<ResultsCommands> self(this);
    options.outage = [self](const std::string &text) {
        const QString message = OutageText(text);
        QMetaObject::invokeMethod(
            self.data(),
            [self, message] {
                if (self)
                    self->ShowOutage(message);
            },
            Qt::QueuedConnection);
    };
    m_recorder = std::make_unique<results::ResultsRecorder>(std::move(options));
    m_recorderSetting = setting;
    return m_recorder.get();
}

std::optional<std::unique_ptr<results::RunRecording>>
ResultsCommands::BeginRun(const TQuorvik &document, const TCP &tester)
{
    const TSettings &settings = m_store.Settings();
    std::string serial;
    if (settings.AskSerial) {
        const auto answer = m_askSerial();
        if (!answer)
            return std::nullopt;
        serial = *answer;
    }
    results::ResultsRecorder *writer = Recorder();
    if (writer == nullptr)
        return std::unique_ptr<results::RunRecording>();
    results::RunContext context;
    context.host = results::HostName();
    context.operatorName = settings.Operator.empty() ? results::SystemUser() : settings.Operator;
    context.serial = serial;
    context.filePath = document.Doc().FileName;
    context.fileSha256 = results::FileSha256(document.Doc().FileName);
    context.unitAddress = tester.Settings().address;
    return std::make_unique<results::RunRecording>(
        *writer, document, context, [&tester] { return tester.BuildInfo(); },
        [&tester] { return tester.DosUnit(); });
}

JournalWindow *ResultsCommands::OpenJournal()
{
    std::string problem;
    const auto url = CurrentDatabase(&problem);
    if (!url) {
        Mesbo().Show("База результатов: " + problem, MbError, kProductName);
        return nullptr;
    }
    if (m_journal && m_journal->isVisible()) {
        m_journal->raise();
        m_journal->activateWindow();
        return m_journal;
    }
    delete m_journal.data();
    m_journal = new JournalWindow(*url, &m_window);
    m_journal->setAttribute(Qt::WA_DeleteOnClose);
    m_journal->show();
    return m_journal;
}

} // namespace qv::results_ui
