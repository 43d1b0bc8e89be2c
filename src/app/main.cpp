#include "execution/desksession.h"
#include "infra/fatalerror.h"
#include "infra/mesbo.h"
#include "infra/paths.h"
#include "infra/version.h"
#include "ui/application.h"
#include "ui/fatalwindow.h"
#include "ui/mainwindow.h"
#include "ui/qtmesbo.h"

#include <QTimer>
#include <cstdio>
#include <exception>
#include <memory>
#include <utility>

int main(int argc, char *argv[])
{
    try {
        qv::QuorvikApplication app(argc, argv);
        qv::QuorvikApplication::setApplicationName(QString::fromUtf8(qv::kProductName));
        qv::QuorvikApplication::setApplicationVersion(QString::fromUtf8(qv::kProductVersion));

        qv::TExcept failures(qv::AppDataDir() / "Exception.log", &qv::TfmMsgException::Ask);
        failures.SetCloseCallback([] { qv::QuorvikApplication::exit(1); });
        app.setFailureHandler(&failures);
        qv::InstallMesbo(std::make_unique<qv::QtMesbo>());

        // Settings, tester port and status monitor; saved and released at close.
        qv::DeskSession::Options deskOptions;
        deskOptions.modelW5 = qv::SystemModelIsW5();
        qv::DeskSession desk(qv::SettingsStore::ForApplication(), std::move(deskOptions));
        if (!desk.Start(qv::kProductName)) {
            app.setFailureHandler(nullptr);
            return 1;
        }

        qv::TBaseForm window;
        window.applySettings(desk.Store().Settings());
        window.show();
        // The file named on the command line opens once the window is up.
        const QString file = qv::TBaseForm::fileFromArguments(qv::QuorvikApplication::arguments());
        if (!file.isEmpty())
            QTimer::singleShot(10, &window, [&window, file] { window.openFile(file); });
        const int code = qv::QuorvikApplication::exec();
        desk.Stop();
        app.setFailureHandler(nullptr);
        return code;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "quorvik: %s\n", e.what());
        return 1;
    }
}
