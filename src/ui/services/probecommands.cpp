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

void ProbeCommands::connectActions(const Actions &actions)
{
    connect(actions.add, &QAction::triggered, this, [this] { add(); });
    connect(actions.remove, &QAction::triggered, this, [this] { remove(); });
    connect(actions.removeAll, &QAction::triggered, this, [this] { removeAll(); });
    connect(actions.rename, &QAction::triggered, this, [this] { rename(); });
}

void ProbeCommands::add()
{
    STest *test = m_document.CurrentTestRecord();
    if (test != nullptr && AddProbe(*test) >= 0)
        m_refill();
}

void ProbeCommands::remove()
{
    if (STest *test = m_document.CurrentTestRecord())
        finish(DeleteProbe(*test));
}

void ProbeCommands::removeAll()
{
    if (STest *test = m_document.CurrentTestRecord())
        finish(DeleteAllProbes(*test));
}

void ProbeCommands::finish(ProbeRefusal refusal)
{
    if (refusal != ProbeRefusal::None)
        Mesbo().Show(Msg(static_cast<int>(refusal)), MbError, kProductName);
    else
        m_refill();
}

void ProbeCommands::rename()
{
    STest *test = m_document.CurrentTestRecord();
    if (test == nullptr || test->ProbeCount(test->ActiveCycle) == 0)
        return;
    auto &entries = test->Probes[static_cast<std::size_t>(test->ActiveCycle)];
    if (TfmZondName::Rename(entries, CurrentProbe(*test), &m_window))
        m_refill();
}

void ProbeCommands::showMenu(int probe, const QPoint &globalPos, const Actions &actions)
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
