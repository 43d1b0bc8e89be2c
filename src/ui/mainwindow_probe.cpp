// The main window: probe mode's threshold window, the probe menu of the
// diagram and the probe-name window.

#include "execution/desk/desksession.h"
#include "execution/port/testerport.h"
#include "model/document/quorvik.h"
#include "ui/desk/infopanel.h"
#include "ui/desk/mainactions.h"
#include "ui/mainwindow.h"
#include "ui/probe/zondmodewindow.h"
#include "ui/probe/zondnamewindow.h"
#include "ui/views/diagramview.h"

#include <QMenu>

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

void TBaseForm::openProbeMenu(int probe, const QPoint &globalPos)
{
    selectProbe(probe);
    QMenu menu(this);
    for (QAction *action :
         {m_actions.zondAdd, m_actions.zondDel, m_actions.zondDelAll, m_actions.zondName})
        menu.addAction(action);
    menu.exec(globalPos);
}

void TBaseForm::renameProbe()
{
    STest *test = m_document->CurrentTestRecord();
    if (test != nullptr && probe::RenameCurrentProbe(*test, this))
        m_diagram->viewport()->update();
}

} // namespace qv
