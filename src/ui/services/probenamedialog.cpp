#include "ui/services/probenamedialog.h"

#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/words/timearray.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace qv::services {

TfmZondName::TfmZondName(std::vector<SZond> &entries, int index, QWidget *parent)
    : QDialog(parent)
    , m_entries(entries)
    , m_index(index)
{
    setObjectName(QStringLiteral("fmZondName"));
    setWindowTitle(QStringLiteral("Имя зонда"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Имя зонда:"), this));
    m_name = new QLineEdit(QString::fromStdString(entries.at(static_cast<std::size_t>(index)).Name),
                           this);
    m_name->setObjectName(QStringLiteral("edName"));
    layout->addWidget(m_name);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool TfmZondName::Rename(std::vector<SZond> &entries, int index, QWidget *parent)
{
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size())
        return false;
    if (entries[static_cast<std::size_t>(index)].Name == kDefaultProbeName) {
        Mesbo().Show(Msg(59), MbError, kProductName);
        return false;
    }
    TfmZondName window(entries, index, parent);
    return window.exec() == QDialog::Accepted;
}

void TfmZondName::accept()
{
    const std::string name = m_name->text().toStdString();
    if (name.empty()) {
        Mesbo().Show(Msg(3), MbError, kProductName);
        return;
    }
    if (name == kDefaultProbeName) {
        Mesbo().Show(Msg(58) + std::string(kDefaultProbeName) + "\"", MbError, kProductName);
        return;
    }
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (static_cast<int>(i) != m_index && m_entries[i].Name == name) {
            Mesbo().Show(Msg(57), MbError, kProductName);
            return;
        }
    }
    m_entries[static_cast<std::size_t>(m_index)].Name = name;
    QDialog::accept();
}

} // namespace qv::services
