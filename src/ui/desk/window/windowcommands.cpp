#include "ui/desk/window/windowcommands.h"

#include "execution/desk/desksession.h"
#include "execution/desk/settingsstore.h"
#include "execution/port/testerport.h"
#include "execution/run/currentcheck.h"
#include "infra/mesbo.h"
#include "infra/paths.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/file/testfile.h"
#include "model/settings/settings.h"
#include "ui/calibration/calibratewindow.h"
#include "ui/calibration/parameterswindow.h"
#include "ui/desk/mainactions.h"
#include "ui/file/propertieswindow.h"
#include "ui/help/aboutwindow.h"
#include "ui/help/helpkey.h"
#include "ui/help/helpwindow.h"
#include "ui/settings/paramswindow.h"
#include "ui/settings/unitlink.h"

#include <QAction>
#include <QApplication>

namespace qv::desk {

WindowCommands::WindowCommands(Parts parts, Host host)
    : QObject(&parts.window)
    , m_parts(parts)
    , m_host(std::move(host))
{
    const MainActions &a = m_parts.actions;
    QWidget *window = &m_parts.window;
    connect(a.fileInfo, &QAction::triggered, this, [this] { ShowFileProperties(); });
    connect(a.params, &QAction::triggered, this, [this] { OpenParams(); });
    connect(a.calibrate, &QAction::triggered, this, [this] { OpenCalibration(); });
    connect(a.currentControl, &QAction::triggered, this, [this] { CheckCurrents(); });
    qApp->installEventFilter(new help::HelpKey(window));
    // "Содержание" opens the contents; F1 (HelpKey) the page of the window.
    connect(a.help, &QAction::triggered, this, [window] {
        QWidget *front = QApplication::activeWindow();
        help::ShowHelpFor(front != nullptr ? front : window,
                          QString::fromLatin1(help::kContentsPage));
    });
    connect(a.about, &QAction::triggered, this, [window] {
        help::TfmAbout about(window);
        about.exec();
    });
}

void WindowCommands::ShowFileProperties()
{
    TQuorvik &doc = m_parts.document;
    const TTestFile *testFile = doc.TestFile();
    file::TfmFileProperties window(m_host.fileOpen() ? &doc.Doc() : nullptr, doc.Cnt(),
                                   testFile != nullptr ? testFile->Flags() : 0, &m_parts.window);
    window.exec();
}

void WindowCommands::OpenParams()
{
    DeskSession *desk = m_parts.desk;
    QWidget *parent = &m_parts.window;
    // The document's display block holds the options as they are now (the
    // scale dialog changes one of them too).
    TSettings current = m_parts.store.Settings();
    current.TakeFrom(m_parts.document.Display());
    current.Colours = m_parts.colours;
    const TesterSettings tester = desk ? desk->Tester().Settings() : TesterSettings();
    settings::TfmParams window(current, tester, desk == nullptr || desk->Tester().DosUnit(),
                               SystemModelIsW5(), m_paramsPage, parent);
    if (desk != nullptr) {
        window.SetUnitActions(
            {[desk, parent] { settings::CheckUnitLink(desk->Tester(), desk->Monitor(), parent); },
             [desk] { settings::RebootUnit(desk->Tester(), desk->Monitor()); },
             [desk, parent](const std::string &address, int timeoutMs) {
                 // The address in use is checked on its own port.
                 if (address == desk->Tester().Settings().address)
                     settings::CheckUnitLink(desk->Tester(), desk->Monitor(), parent);
                 else
                     settings::CheckAddressLink(address, timeoutMs, desk->PortFactory(), parent);
             }});
    }
    connect(&window, &settings::TfmParams::ColoursChanged, this,
            [this](const ViewColours &colours) {
                m_parts.colours = colours;
                m_host.refreshViews();
            });
    if (window.exec() == QDialog::Accepted) {
        m_parts.store.Settings() = window.Settings();
        if (desk != nullptr) {
            const std::string oldAddress = desk->Tester().Settings().address;
            desk->Tester().SetSettings(window.Tester());
            // The unit is reached at the new address from now on.
            if (desk->Tester().Settings().address != oldAddress)
                desk->ChangeAddress(desk->Tester().Settings().address);
        }
        m_host.settingsAccepted();
    }
    m_paramsPage = window.Page();
    m_host.refreshViews();
}

void WindowCommands::OpenCalibration()
{
    DeskSession *desk = m_parts.desk;
    if (desk == nullptr || !desk->Tester().HasPort()) {
        Mesbo().Show("Блок диагностики не подключен", MbError, kProductName);
        return;
    }
    TCP &tester = desk->Tester();
    if (tester.DosUnit()) {
        TSettings &values = m_parts.store.Settings();
        if (auto window = calibration::TfmCalibrate::Open(
                {tester, desk->Monitor(), values.IoTime, values.WaitTime}, &m_parts.window))
            window->exec();
        return;
    }
    const auto &tyres = m_parts.document.Doc().Tyres;
    int maxWidth = 0;
    for (int i = 0; i < tyres.Count(); ++i)
        maxWidth = std::max(maxWidth, tyres.Width(i));
    calibration::TfmCalibrateMk::Context context{
        tester, desk->Monitor(), m_clbPath.empty() ? AppFile(".clb") : m_clbPath,
        maxWidth > 0 ? std::min(maxWidth, 16) : 16,
        QString(m_parts.actions.calibrate->text()).remove(QLatin1Char('&'))};
    if (auto window = calibration::TfmCalibrateMk::Open(context, &m_parts.window))
        window->exec();
}

void WindowCommands::CheckCurrents()
{
    if (m_parts.desk != nullptr)
        CheckCurrentsNow(m_parts.desk->Tester(), m_parts.desk->Monitor());
    else
        Mesbo().Show("Блок диагностики не подключен", MbError, kProductName);
}

} // namespace qv::desk
