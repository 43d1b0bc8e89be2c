#include "ui/debug/maddressdialog.h"

#include "infra/helpers.h"
#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"
#include "ui/debug/okcancel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv::debug {
namespace {

constexpr int kNotANumberMessage = 4;

QString InBase(std::int64_t value, int base)
{
    return QString::fromStdString(NumberInBase(value, base));
}

} // namespace

TfmMAddress::TfmMAddress(const TQuorvik &doc, STest &test, const MAddressSide &side,
                         QWidget *parent)
    : QDialog(parent)
    , m_doc(doc)
    , m_test(test)
    , m_side(side)
{
    setObjectName(QStringLiteral("fmMAddress"));
    setWindowTitle(QStringLiteral("Адрес %1 M%2")
                       .arg(side.write ? QStringLiteral("записи") : QStringLiteral("чтения"))
                       .arg(side.function));
    const int base = doc.Doc().Sys;
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Максимальный адрес: ") + InBase(side.maximum, base), this));
    m_address = new QLineEdit(InBase(side.address, base), this);
    layout->addWidget(m_address);
    m_low = new QLabel(this);
    layout->addWidget(m_low);
    if (side.highWord != 0) {
        m_high = new QLabel(this);
        layout->addWidget(m_high);
    }
    m_ok = AddOkCancel(this, layout);
    connect(m_address, &QLineEdit::textChanged, this, [this] { ShowParts(); });
    connect(m_ok, &QPushButton::clicked, this, [this] {
        if (Store())
            accept();
    });
    ShowParts();
}

// The split of the address typed so far; "?" while it is no address.
void TfmMAddress::ShowParts()
{
    const int base = m_doc.Doc().Sys;
    const auto typed = m_doc.ParseNumber(m_address->text().trimmed().toUpper().toStdString());
    const bool valid = typed && *typed <= static_cast<std::uint64_t>(m_side.maximum);
    const auto address = valid ? static_cast<std::uint64_t>(*typed) : 0;
    const auto lowMask = static_cast<std::uint64_t>(Math(2, m_side.lowWidth, 0) - 1);
    const auto part = [&](std::uint64_t value) {
        return valid ? InBase(static_cast<std::int64_t>(value), base) : QStringLiteral("?");
    };
    m_low->setText(QStringLiteral("Младший адрес i%1: ").arg(m_side.lowWord) +
                   part(address & lowMask));
    if (m_high)
        m_high->setText(QStringLiteral("Старший адрес i%1: ").arg(m_side.highWord) +
                        part(address >> m_side.lowWidth));
}

bool TfmMAddress::Store()
{
    const auto typed = m_doc.ParseNumber(m_address->text().trimmed().toUpper().toStdString());
    if (!typed) {
        Mesbo().Show(Msg(kNotANumberMessage), MbError, kProductName);
        return false;
    }
    if (*typed > static_cast<std::uint64_t>(m_side.maximum) ||
        !SetMAddress(m_test, m_side, static_cast<std::int64_t>(*typed))) {
        Mesbo().Show("Адрес больше максимального (" +
                         NumberInBase(m_side.maximum, m_doc.Doc().Sys) + ")",
                     MbError, kProductName);
        return false;
    }
    return true;
}

} // namespace qv::debug
