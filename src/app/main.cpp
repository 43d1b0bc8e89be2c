// The program's entry: start-up in its fixed order, the event loop, and the
// shut-down that the main window's close begins.
//
// Start-up: the failure handler (logging to "Exception.log" and offering to
// carry on or close), the message-box service, the settings store, the
// tester port (its transport checked and opened), then the main window with
// its placement, the run command and the file of the command line. What can
// wait comes once the window is painted: the quiet connection to the unit
// and the status monitor (DeskSession), and the check that the helper
// programs the window starts are beside it. The helper functions are part of
// the program; the probe's USB library is bound by the probe mode when it
// comes.

#include "execution/desk/desksession.h"
#include "execution/port/hardstatus.h"
#include "execution/port/testerport.h"
#include "infra/fatalerror.h"
#include "infra/mesbo.h"
#include "infra/notice.h"
#include "infra/paths.h"
#include "infra/version.h"
#include "probe/d2xxlink.h"
#include "remote/clientservercommon.h"
#include "ui/application.h"
#include "ui/desk/mainwindow.h"
#include "ui/desk/statuspicture.h"
#include "ui/fatalwindow.h"
#include "ui/firstpaint.h"
#include "ui/qtmesbo.h"
#include "ui/remote/remotecontrol.h"
#include "ui/results/resultscommands.h"
#include "ui/run/runcommand.h"
#include "ui/services/helperprograms.h"

#include <QPointer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <utility>

namespace {

// Without a display the toolkit would abort with several lines of its own;
// one line says what is wrong.
bool DisplayAvailable(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0)
            return true;
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char *value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return true;
    }
    return false;
}

constexpr const char *kNoDisplay =
    "quorvik: нет графического дисплея (переменные DISPLAY и WAYLAND_DISPLAY не заданы); "
    "запустите программу в графическом сеансе или под xvfb-run\n";

// While the application object connects to the display, the toolkit's own
// lines about a display it cannot reach are replaced by one line of ours.
void StartUpMessages(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const bool platform = context.category && std::strncmp(context.category, "qt.qpa", 6) == 0;
    if (type == QtFatalMsg) {
        std::fprintf(stderr,
                     "quorvik: не удалось подключиться к графическому дисплею \"%s\"; "
                     "запустите программу в графическом сеансе или под xvfb-run\n",
                     qgetenv("DISPLAY").constData());
        std::_Exit(1);
    }
    if (!platform)
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

QWidget *ActiveWindow()
{
    return QApplication::activeWindow();
}

} // namespace

int main(int argc, char *argv[])
{
    if (!DisplayAvailable(argc, argv)) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }
    try {
        qInstallMessageHandler(&StartUpMessages);
        qv::QuorvikApplication app(argc, argv);
        qInstallMessageHandler(nullptr);
        qv::QuorvikApplication::setApplicationName(QString::fromUtf8(qv::kProductName));
        qv::QuorvikApplication::setApplicationVersion(QString::fromUtf8(qv::kProductVersion));
        qv::QuorvikApplication::setApplicationDisplayName(QString());
        // Without the toolkit's translations its dialogs stay in English.
        app.InstallToolkitTranslations();

        // 1. The failure handler; "&Закрыть программу" runs the shut-down.
        QPointer<qv::TBaseForm> mainWindow;
        qv::TExcept failures(qv::AppDataDir() / "Exception.log", &qv::TfmMsgException::Ask);
        failures.SetCloseCallback([&mainWindow] {
            if (mainWindow)
                mainWindow->close();
            qv::QuorvikApplication::exit(1);
        });
        app.SetFailureHandler(&failures);
        // 2-3. The message boxes.
        qv::InstallMesbo(std::make_unique<qv::QtMesbo>(&ActiveWindow));

        // 4-8. Settings, tester port, quiet connection, status monitor.
        qv::desk::StatusRelay relay;
        qv::DeskSession::Options deskOptions;
        deskOptions.modelW5 = qv::SystemModelIsW5();
        deskOptions.observer = &relay;
        deskOptions.notices = qv::MessageBoxNotices();
        qv::DeskSession desk(qv::SettingsStore::ForApplication(), std::move(deskOptions));
        desk.Tester().SetObserver(&relay);
        if (!desk.Open(qv::kProductName)) {
            desk.Tester().SetObserver(nullptr);
            app.SetFailureHandler(nullptr);
            return 1;
        }

        // The probe's USB library, bound now when the setting names the
        // vendor's one; without it the application ends here.
        std::unique_ptr<qv::probe::D2xxLibrary> probeLibrary;
        std::string probeMessage;
        if (!qv::probe::BindProbeLibrary(desk.Tester().Settings().probeDevice, &probeLibrary,
                                         &probeMessage)) {
            qv::Mesbo().Show(probeMessage, qv::MbError, qv::kProductName);
            desk.Stop();
            desk.Tester().SetObserver(nullptr);
            app.SetFailureHandler(nullptr);
            return 1;
        }

        qv::TBaseForm window(&desk.Store(), &desk);
        mainWindow = &window;
        // "Пуск": the run driver with the run windows; the calibration it
        // keeps also serves the document's wait conversion.
        qv::run::RunCommand runCommand(window, desk, qv::AppFile(".clb"));
        // Every run recorded in the results database of the settings.
        qv::results_ui::ResultsCommands results(window, desk.Store(), qv::AppDataDir());
        runCommand.SetResults(&results);
        // The remote roles; a run asks which one is active.
        qv::RemoteControl remote(window, desk.Store(), qv::DefaultReceiveDir());
        remote.ServeRuns(runCommand);
        desk.SetRemoteServerQuery([&remote] { return remote.ServerWithBench(); });
        QObject::connect(&relay, &qv::desk::StatusRelay::PictureChanged, &window,
                         &qv::TBaseForm::SetStatusPicture);
        QObject::connect(
            &relay, &qv::desk::StatusRelay::UnitStatusRelayed, &window,
            [&window, &desk](qv::UnitStatus code) {
                const qv::StatusPicture picture =
                    qv::StatusPictureFor(code, desk.Tester().DosUnit(), desk.Tester().BuildInfo());
                window.SetStatusPicture(picture.code, QString::fromStdString(picture.resource),
                                        QString::fromStdString(picture.hint));
            });
        QObject::connect(&relay, &qv::desk::StatusRelay::CalibrationCaptionRelayed, &window,
                         &qv::TBaseForm::SetCalibrationCaption);
        window.show();
        // The command line's work comes first (a warning box of the helper
        // check must not hold up a bench started unattended), then, once the
        // window is painted with its file, the quiet connection: a unit that
        // is not there takes its answer time-out to say so, and the status
        // picture follows.
        window.StartFromCommandLine(qv::QuorvikApplication::arguments(), [&window, &desk] {
            qv::RunAfterFirstPaint(window, [&desk] {
                desk.ConnectQuietly();
                qv::services::CheckHelperPrograms();
            });
        });
        const int code = qv::QuorvikApplication::exec();

        // The window's close stopped the session; this covers an exit that
        // did not go through it.
        desk.Stop();
        desk.Tester().SetObserver(nullptr);
        app.SetFailureHandler(nullptr);
        return code;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "quorvik: %s\n", e.what());
        return 1;
    }
}
