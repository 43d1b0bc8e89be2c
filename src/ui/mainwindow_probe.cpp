// The main window: probe mode's threshold window.

#include "execution/desk/desksession.h"
#include "execution/port/testerport.h"
#include "ui/desk/infopanel.h"
#include "ui/mainwindow.h"
#include "ui/probe/zondmodewindow.h"

namespace qv {

void TBaseForm::openProbeThresholds()
{
    // An older unit has fixed thresholds: there is nothing to choose.
    if (isDosUnit.load() || m_desk == nullptr)
        return;
    TesterSettings settings = m_desk->Tester().Settings();
    probe::TfmZondMode window(settings.probeMode, this);
    if (window.exec() != QDialog::Accepted)
        return;
    settings.probeMode = window.mask();
    m_desk->Tester().SetSettings(settings);
    m_info->setProbeThresholds(probe::ThresholdLabel(window.mask()));
}

} // namespace qv
