#include "ui/probe/zondmodewindow.h"

#include "infra/mesbo.h"
#include "infra/version.h"
#include "ui/debug/okcancel.h"
#include "ui/settings/probethresholds.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QVBoxLayout>

namespace qv::probe {
namespace {

const char *const kThresholds[] = {"0.8В", "2.0В", "5.0В", "10.0В"};

QComboBox *ThresholdList(const char *name, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    for (const char *threshold : kThresholds)
        list->addItem(QString::fromUtf8(threshold));
    list->setCurrentIndex(-1);
    return list;
}

} // namespace

QString ThresholdLabel(int mask)
{
    if (mask == settings::kTtlPattern)
        return QStringLiteral("TTL");
    if (mask == settings::kDtlPattern)
        return QStringLiteral("DTL");
    QStringList chosen;
    for (int bit = 0; bit < 4 && chosen.size() < 2; ++bit)
        if (mask & (1 << bit))
            chosen << QString::fromUtf8(kThresholds[bit]);
    return chosen.join(QStringLiteral(" / "));
}

TfmZondMode::TfmZondMode(int mask, QWidget *parent)
    : QDialog(parent)
    , m_mask(mask)
{
    setObjectName(QStringLiteral("fmZondMode"));
    setWindowTitle(QStringLiteral("Режим зонда"));
    auto *layout = new QVBoxLayout(this);
    m_ttl = new QRadioButton(QStringLiteral("TTL"), this);
    m_dtl = new QRadioButton(QStringLiteral("DTL"), this);
    m_manual = new QRadioButton(QStringLiteral("ручной"), this);
    for (QRadioButton *choice : {m_ttl, m_dtl, m_manual})
        layout->addWidget(choice);
    auto *lists = new QGridLayout;
    m_lowerCaption = new QLabel(QStringLiteral("Нижний порог:"), this);
    m_upperCaption = new QLabel(QStringLiteral("Верхний порог:"), this);
    m_lower = ThresholdList("cbLower", this);
    m_upper = ThresholdList("cbUpper", this);
    lists->addWidget(m_lowerCaption, 0, 0);
    lists->addWidget(m_lower, 0, 1);
    lists->addWidget(m_upperCaption, 1, 0);
    lists->addWidget(m_upper, 1, 1);
    layout->addLayout(lists);
    QPushButton *ok = debug::AddOkCancel(this, layout);
    ok->setObjectName(QStringLiteral("btOk"));
    connect(ok, &QPushButton::clicked, this, [this] { TryAccept(); });

    const settings::ProbeChoice choice = settings::ProbeChoiceFromPattern(mask);
    switch (choice.mode) {
    case settings::ProbeMode::Ttl:
        m_ttl->setChecked(true);
        break;
    case settings::ProbeMode::Dtl:
        m_dtl->setChecked(true);
        break;
    case settings::ProbeMode::Manual:
        m_manual->setChecked(true);
        m_lower->setCurrentIndex(choice.lower);
        m_upper->setCurrentIndex(choice.upper);
        break;
    }
    for (QRadioButton *button : {m_ttl, m_dtl, m_manual})
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                ShowLists();
        });
    ShowLists();
}

void TfmZondMode::ShowLists()
{
    const bool manual = m_manual->isChecked();
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_lowerCaption, m_upperCaption, m_lower, m_upper})
        w->setVisible(manual);
    if (!manual) {
        m_lower->setCurrentIndex(-1);
        m_upper->setCurrentIndex(-1);
    }
}

void TfmZondMode::TryAccept()
{
    settings::ProbeChoice choice;
    choice.mode = m_ttl->isChecked()   ? settings::ProbeMode::Ttl
                  : m_dtl->isChecked() ? settings::ProbeMode::Dtl
                                       : settings::ProbeMode::Manual;
    choice.lower = m_lower->currentIndex();
    choice.upper = m_upper->currentIndex();
    if (const char *problem = settings::ProbeChoiceProblem(choice)) {
        Mesbo().Show(problem, MbError, kProductName);
        (choice.lower < 0 || choice.upper >= 0 ? m_lower : m_upper)->setFocus();
        return;
    }
    m_mask = settings::PatternFromProbeChoice(choice);
    accept();
}

} // namespace qv::probe
