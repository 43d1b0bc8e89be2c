#include "ui/services/probecommands.h"

#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "ui/services/probeentries.h"
#include "ui/services/probenamedialog.h"

#include <QAction>
#include <QMenu>

namespace qv::services {

ProbeCommands::ProbeCommands(QWidget &window, TQuorvik &document, std::function<void()> refill)
    : QObject(&window)
    , m_window(window)
    , m_document(document)
    , m_refill(std::move(refill))
{}

void ProbeCommands::ConnectActions(const Actions &actions)
{
    connect(actions.add, &QAction::triggered, this, [this] { Add(); });
    connect(actions.remove, &QAction::triggered, this, [this] { Remove(); });
    connect(actions.removeAll, &QAction::triggered, this, [this] { RemoveAll(); });
    connect(actions.rename, &QAction::triggered, this, [this] { Rename(); });
}

void ProbeCommands::Add()
{
    STest *test = m_document.CurrentTestRecord();
    if (test != nullptr && AddProbe(*test) >= 0)
        m_refill();
}

void ProbeCommands::Remove()
{
    if (STest *test = m_document.CurrentTestRecord())
        Finish(DeleteProbe(*test));
}

void ProbeCommands::RemoveAll()
{
    if (STest *test = m_document.CurrentTestRecord())
        Finish(DeleteAllProbes(*test));
}

void ProbeCommands::Finish(ProbeRefusal refusal)
{
    if (refusal != ProbeRefusal::None)
        Mesbo().Show(Msg(static_cast<int>(refusal)), MbError, kProductName);
    else
        m_refill();
}

void ProbeCommands::Rename()
{
    STest *test = m_document.CurrentTestRecord();
    if (test == nullptr || test->ProbeCount(test->ActiveCycle) == 0)
        return;
    auto &entries = test->Probes[static_cast<std::size_t>(test->ActiveCycle)];
    if (TfmZondName::Rename(entries, CurrentProbe(*test), &m_window))
        m_refill();
}

void ProbeCommands::ShowMenu(int probe, const QPoint &globalPos, const Actions &actions)
{
    STest *test = m_document.CurrentTestRecord();
    if (test == nullptr || probe < 0 || probe >= test->ProbeCount(test->ActiveCycle))
        return;
    test->EnsureProbeArrays();
    test->ProbeFlags[static_cast<std::size_t>(test->ActiveCycle)] = probe;
    QMenu menu(&m_window);
    menu.setObjectName(QStringLiteral("pmZond"));
    menu.addActions({actions.add, actions.remove, actions.removeAll, actions.rename});
    menu.exec(globalPos);
}

} // namespace qv::services
