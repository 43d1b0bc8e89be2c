// The settings window's page "Блок диагностики": the address the unit is
// reached at, chosen from the serial devices found, the in-process unit and
// the simulator's board files, or typed; and a link check of that address.

#include "execution/link/unitaddress.h"
#include "infra/mesbo.h"
#include "infra/version.h"
#include "ui/settings/paramswindow.h"
#include "ui/settings/unitlink.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace qv::settings {

QWidget *TfmParams::BuildUnitPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(
        new QLabel(QString::fromUtf8(TCP::kKeyAddress.data(),
                                     static_cast<qsizetype>(TCP::kKeyAddress.size())) +
                       QLatin1Char(':'),
                   page));
    m_address = new QComboBox(page);
    m_address->setObjectName(QStringLiteral("cbUnitAddress"));
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->addItems(UnitAddressChoices());
    const QString current = QString::fromStdString(m_tester.address);
    if (m_address->findText(current) < 0)
        m_address->insertItem(0, current);
    m_address->setCurrentText(current);
    m_address->setMinimumContentsLength(40);
    layout->addWidget(m_address);
    layout->addWidget(new QLabel(QStringLiteral("sim - блок, моделируемый программой; sim:ФАЙЛ - "
                                                "он же с описанием платы;\ntcp://АДРЕС:ПОРТ - блок "
                                                "или его модель по сети; serial:УСТРОЙСТВО - блок "
                                                "на USB"),
                                 page));
    auto *buttons = new QHBoxLayout;
    m_checkAddress = new QPushButton(QStringLiteral("Проверить связь"), page);
    m_checkAddress->setObjectName(QStringLiteral("btCheckAddress"));
    buttons->addWidget(m_checkAddress);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();
    connect(m_checkAddress, &QPushButton::clicked, this, [this] {
        if (!CheckAddress() || !m_unitActions.checkAddress)
            return;
        m_unitActions.checkAddress(m_address->currentText().trimmed().toStdString(),
                                   m_timeout->value());
    });
    return page;
}

bool TfmParams::CheckAddress()
{
    const std::string address = m_address->currentText().trimmed().toStdString();
    std::string why;
    if (ParseUnitAddress(address, &why))
        return true;
    m_pages->setCurrentIndex(PageUnit);
    Mesbo().Show(BadUnitAddressMessage(address, why), MbError, kProductName);
    m_address->setFocus();
    return false;
}

} // namespace qv::settings
