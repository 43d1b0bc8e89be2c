#include "ui/desk/window/listcommands.h"

#include "execution/desk/settingsstore.h"
#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/settings/settings.h"
#include "ui/desk/infopanel.h"
#include "ui/desk/mainactions.h"
#include "ui/functions/functionwindows.h"
#include "ui/lists/listopener.h"
#include "ui/lists/viewerwindows.h"
#include "ui/views/diagramview.h"
#include "ui/views/tableview.h"

#include <QAction>

namespace qv::desk {

ListCommands::ListCommands(Parts parts, Host host)
    : QObject(&parts.window)
    , m_parts(parts)
    , m_host(std::move(host))
{
    const MainActions &a = m_parts.actions;
    const auto on = [this](QAction *action, auto handler) {
        connect(action, &QAction::triggered, this, handler);
    };
    on(a.tyreData, [this] {
        TQuorvik &doc = m_parts.document;
        if (doc.Doc().Tyres.Count() == 0)
            Mesbo().Show("Не задано ни одной шины данных", MbError, kProductName);
        else
            lists::OpenList(&m_parts.window, doc, 'T', -1);
    });
    const auto list = [this, on](QAction *action, char kind, auto count) {
        on(action, [this, kind, count] {
            const STest *test = m_parts.document.CurrentTestRecord();
            OpenList(kind, test ? count(*test) : 0);
        });
    };
    list(a.iWord, 'i', [](const STest &t) { return t.IWords.Count(); });
    list(a.oWord, 'o', [](const STest &t) { return t.OWords.Count(); });
    list(a.gWord, 'g', [](const STest &t) { return t.GWords.PlainCount(); });
    list(a.funcG, 'G', [](const STest &t) { return t.GWords.CycleCount(); });
    list(a.funcF, 'F', [](const STest &t) { return t.FFuncs.Count(); });
    list(a.funcM, 'M', [](const STest &t) { return t.MFuncs.Count(); });
    list(a.funcP, 'P', [](const STest &t) { return t.PFuncs.Count(); });
    list(a.funcV, 'V', [](const STest &t) { return t.VFuncs.Count(); });
    list(a.funcS, 'S', [](const STest &t) { return t.SFuncs.Count(); });
    on(a.viewCnt, [this] {
        lists::TfmCnt window(m_parts.document, !m_host.dosUnit || m_host.dosUnit(), &m_parts.window,
                             m_host.suspects ? m_host.suspects() : std::vector<int>{});
        window.exec();
    });
    connect(&m_parts.info, &InfoPanel::TestInfoRequested, this, [this] { OpenTestInfo(); });
    connect(&m_parts.diagram, &DiagramView::ListRequested, this,
            [this](char kind, int number) { OpenAt(kind, number); });
    connect(&m_parts.table, &TableView::ListRequested, this,
            [this](char kind, int number, int cycle) { OpenAt(kind, number, -1, cycle); });
}

void ListCommands::OpenList(char kind, int count)
{
    if (!m_host.singleTest()) {
        Mesbo().Show(Msg(37), MbError, kProductName);
        return;
    }
    if (count == 0 && kind != 'V') {
        Mesbo().Show(Msg(38), MbError, kProductName);
        return;
    }
    OpenAt(kind, -1);
}

void ListCommands::OpenTestInfo()
{
    if (!m_host.fileOpen())
        return;
    TQuorvik &doc = m_parts.document;
    lists::TfmTestInfo window(doc, doc.CurrentTest(), &m_parts.window);
    if (window.exec() != QDialog::Accepted)
        return;
    static_assert(lists::TfmTestInfo::kAllTests == -1);
    m_host.selectTest(window.Chosen());
}

void ListCommands::OpenAt(char kind, int number, int testIndex, int cycle)
{
    TQuorvik &doc = m_parts.document;
    if (testIndex < 0)
        testIndex = doc.CurrentTest();
    if (lists::OpenList(&m_parts.window, doc, kind, number, testIndex, cycle))
        return;
    const TSettings &settings = m_parts.store.Settings();
    if (STest *test = doc.Test(testIndex);
        test != nullptr &&
        functions::OpenFunctionWindow(&m_parts.window, doc, *test, kind, number,
                                      settings.Oscillogram, {settings.DataEditor}))
        m_host.refreshViews();
}

} // namespace qv::desk
