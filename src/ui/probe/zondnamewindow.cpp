#include "ui/probe/zondnamewindow.h"

#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/document/stest.h"
#include "ui/debug/okcancel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv::probe {

std::string ProbeNameRefusal(const std::vector<SZond> &entries, std::size_t index,
                             const std::string &name)
{
    if (name.empty())
        return Msg(3);
    if (name == kDefaultProbeName)
        return Msg(58) + kDefaultProbeName + "\"";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i != index && entries[i].Name == name)
            return Msg(57);
    }
    return {};
}

TfmZondName::TfmZondName(std::vector<SZond> &entries, std::size_t index, QWidget *parent)
    : QDialog(parent)
    , m_entries(entries)
    , m_index(index)
{
    setObjectName(QStringLiteral("fmZondName"));
    setWindowTitle(QStringLiteral("Изменить имя"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Имя зонда:"), this));
    m_name = new QLineEdit(QString::fromStdString(entries[index].Name), this);
    m_name->setObjectName(QStringLiteral("edName"));
    layout->addWidget(m_name);
    QPushButton *ok = debug::AddOkCancel(this, layout);
    ok->setObjectName(QStringLiteral("btOk"));
    connect(ok, &QPushButton::clicked, this, [this] { tryAccept(); });
}

void TfmZondName::tryAccept()
{
    const std::string name = m_name->text().toStdString();
    const std::string refusal = ProbeNameRefusal(m_entries, m_index, name);
    if (!refusal.empty()) {
        Mesbo().Show(refusal, MbError, kProductName);
        m_name->setFocus();
        return;
    }
    m_entries[m_index].Name = name;
    accept();
}

bool RenameCurrentProbe(STest &test, QWidget *parent)
{
    const auto cycle = static_cast<std::size_t>(test.ActiveCycle);
    if (test.ActiveCycle < 0 || cycle >= test.Probes.size() || test.Probes[cycle].empty())
        return false;
    std::vector<SZond> &entries = test.Probes[cycle];
    const int current = cycle < test.ProbeFlags.size() ? test.ProbeFlags[cycle] : 0;
    const auto index = static_cast<std::size_t>(std::max(current, 0));
    if (index >= entries.size())
        return false;
    if (entries[index].Name == kDefaultProbeName) {
        Mesbo().Show(Msg(59), MbError, kProductName);
        return false;
    }
    TfmZondName window(entries, index, parent);
    return window.exec() == QDialog::Accepted;
}

} // namespace qv::probe
