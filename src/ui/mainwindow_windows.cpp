// The main window: the commands that open the file properties, the
// settings, the calibration windows, the help and the about box.

#include "execution/desk/desksession.h"
#include "execution/desk/settingsstore.h"
#include "infra/mesbo.h"
#include "infra/paths.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/file/testfile.h"
#include "ui/calibration/calibratewindow.h"
#include "ui/calibration/parameterswindow.h"
#include "ui/desk/commentwindow.h"
#include "ui/file/propertieswindow.h"
#include "ui/help/aboutwindow.h"
#include "ui/help/helpkey.h"
#include "ui/help/helpwindow.h"
#include "ui/mainwindow.h"
#include "ui/settings/paramswindow.h"
#include "ui/settings/unitlink.h"

#include <QApplication>

namespace qv {

void TBaseForm::connectWindowCommands()
{
    const desk::MainActions &a = m_actions;
    connect(a.fileInfo, &QAction::triggered, this, [this] { showFileProperties(); });
    connect(a.params, &QAction::triggered, this, [this] { openParams(); });
    connect(a.calibrate, &QAction::triggered, this, [this] { openCalibration(); });
    qApp->installEventFilter(new help::HelpKey(this));
    connect(a.help, &QAction::triggered, this, [this] {
        QWidget *front = QApplication::activeWindow();
        help::ShowHelpFor(front != nullptr ? front : this);
    });
    connect(a.about, &QAction::triggered, this, [this] {
        help::TfmAbout about(this);
        about.exec();
    });
}

void TBaseForm::showFileProperties()
{
    const TTestFile *testFile = m_document->TestFile();
    const bool open = fileOpen();
    file::TfmFileProperties window(open ? &m_document->Doc : nullptr, m_document->Cnt,
                                   testFile != nullptr ? testFile->Flags() : 0, this);
    window.exec();
}

void TBaseForm::openParams()
{
    // The document's display block holds the options as they are now (the
    // scale dialog changes one of them too).
    TSettings current = m_store->Settings();
    current.TakeFrom(m_document->Display);
    current.Colours = m_colours;
    const TesterSettings tester = m_desk ? m_desk->Tester().Settings() : TesterSettings();
    settings::TfmParams window(current, tester, isDosUnit.load(), SystemModelIsW5(), m_paramsPage,
                               this);
    if (m_desk != nullptr) {
        window.setUnitActions(
            {[this] { settings::CheckUnitLink(m_desk->Tester(), m_desk->Monitor(), this); },
             [this] { settings::RebootUnit(m_desk->Tester(), m_desk->Monitor()); }});
    }
    connect(&window, &settings::TfmParams::coloursChanged, this,
            [this](const ViewColours &colours) {
                m_colours = colours;
                refreshViews();
            });
    const int waitsBefore = option(TSettings::OptWaitsAsTimes);
    if (window.exec() == QDialog::Accepted) {
        m_store->Settings() = window.settings();
        if (m_desk != nullptr)
            m_desk->Tester().SetSettings(window.tester());
        applySettings();
        if (option(TSettings::OptWaitsAsTimes) != waitsBefore && tableShown())
            refillShownView();
        if (m_comment)
            m_comment->setEditable(option(TSettings::OptAllowCommentEdit) != 0);
        fillInformation();
    }
    m_paramsPage = window.page();
    refreshViews();
}

void TBaseForm::openCalibration()
{
    if (m_desk == nullptr || !m_desk->Tester().HasPort()) {
        Mesbo().Show("Блок диагностики не подключен", MbError, kProductName);
        return;
    }
    TCP &tester = m_desk->Tester();
    if (isDosUnit.load()) {
        TSettings &values = m_store->Settings();
        if (auto window = calibration::TfmCalibrate::Open(
                {tester, m_desk->Monitor(), values.IoTime, values.WaitTime}, this))
            window->exec();
        return;
    }
    int maxWidth = 0;
    for (int i = 0; i < m_document->Doc.Tyres.Count(); ++i)
        maxWidth = std::max(maxWidth, m_document->Doc.Tyres.Width(i));
    calibration::TfmCalibrateMk::Context context{
        tester, m_desk->Monitor(), m_clbPath.empty() ? AppFile(".clb") : m_clbPath,
        maxWidth > 0 ? std::min(maxWidth, 16) : 16,
        QString(m_actions.calibrate->text()).remove(QLatin1Char('&'))};
    if (auto window = calibration::TfmCalibrateMk::Open(context, this))
        window->exec();
}

} // namespace qv
