#include "ui/services/mainservices.h"

#include "execution/desk/settingsstore.h"
#include "infra/mesbo.h"
#include "infra/version.h"
#include "ui/desk/mainactions.h"
#include "ui/mainwindow.h"
#include "ui/services/dataeditor.h"
#include "ui/services/helperprograms.h"
#include "ui/services/inputhooks.h"
#include "ui/services/probecommands.h"

#include <QAction>
#include <QFileInfo>
#include <QProcess>

namespace qv::services {

MainServices::MainServices(TBaseForm &window, DeskSession *desk, std::function<void()> refill)
    : QObject(&window)
    , m_window(window)
    , m_desk(desk)
    , m_probes(new ProbeCommands(window, window.document(), std::move(refill)))
    , m_hooks(new InputHooks(this))
{}

MainServices::~MainServices() = default;

void MainServices::connectActions(const desk::MainActions &actions)
{
    m_probes->connectActions(actions);
    connect(actions.hexEdit, &QAction::triggered, this, [this] { openDataEditor(); });
    connect(actions.splitBytes, &QAction::triggered, this, [this] { startByteSplitter(); });
}

void MainServices::openDataEditor()
{
    OpenDataEditor(m_window.settingsStore().Settings().DataEditor, QString());
}

void MainServices::startByteSplitter()
{
    const QString path = HelperProgramPath(kByteSplitterProgram);
    if (!QProcess::startDetached(path, {}, QFileInfo(path).absolutePath()))
        Mesbo().Show("Не удалось запустить программу", MbError,
                     "Параметры запуска: " + path.toStdString());
}

} // namespace qv::services
