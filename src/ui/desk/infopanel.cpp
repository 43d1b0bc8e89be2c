#include "ui/desk/infopanel.h"

#include "ui/probe/zondmodewindow.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace qv::desk {
namespace {

constexpr int kTabWidth = 30;
constexpr int kTabHeight = 17;
constexpr int kTabGap = 7;
constexpr const char *kUnknown = "?";

QLabel *Caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel *Value(const char *name, QWidget *parent)
{
    auto *label = new QLabel(QString::fromLatin1(kUnknown), parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setMinimumWidth(24);
    return label;
}

QToolButton *SmallButton(const QString &text, const char *name, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setFixedHeight(kTabHeight + 2);
    button->setAutoRaise(false);
    return button;
}

} // namespace

QString ProbeThresholdsText(int pattern)
{
    return probe::ThresholdLabel(pattern);
}

InfoPanel::InfoPanel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pnInfo"));
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);

    // First row: the test-information button, "Тест:" and the tabs.
    m_testInfo = SmallButton(QStringLiteral("i"), "btTestInfo", this);
    m_testInfo->setToolTip(QStringLiteral("Список тестов"));
    connect(m_testInfo, &QToolButton::clicked, this, &InfoPanel::TestInfoRequested);
    auto *tabsRow = new QHBoxLayout;
    tabsRow->setSpacing(kTabGap);
    tabsRow->addWidget(m_testInfo);
    tabsRow->addWidget(new QLabel(QStringLiteral("Тест:"), this));
    tabsRow->addSpacing(kTabGap - tabsRow->spacing() + kTabGap);
    m_tabGroup = new QButtonGroup(this);
    m_tabGroup->setExclusive(true);
    QFont tabFont(QStringLiteral("Arial"));
    tabFont.setBold(true);
    tabFont.setPixelSize(11);
    for (int i = 0; i <= kTestTabs; ++i) {
        auto *tab = new QToolButton(this);
        tab->setObjectName(QStringLiteral("btTest%1").arg(i + 1));
        tab->setText(i == kAllTab ? QStringLiteral("все") : QString::number(i + 1));
        tab->setCheckable(true);
        tab->setFont(tabFont);
        tab->setFixedSize(kTabWidth, kTabHeight);
        tab->setVisible(false);
        m_tabGroup->addButton(tab, i);
        tabsRow->addWidget(tab);
        m_tabs[static_cast<std::size_t>(i)] = tab;
    }
    tabsRow->addStretch(1);
    connect(m_tabGroup, &QButtonGroup::idClicked, this, &InfoPanel::TabClicked);
    rows->addLayout(tabsRow);

    // Each row keeps its own widths, so that the debug indicators appearing
    // in one row do not push the other's captions out of the window.
    const auto row = [rows](std::initializer_list<std::pair<QWidget *, QWidget *>> pairs) {
        auto *line = new QHBoxLayout;
        line->setSpacing(4);
        for (const auto &[caption, value] : pairs) {
            line->addWidget(caption);
            line->addWidget(value);
            line->addSpacing(10);
        }
        line->addStretch(1);
        rows->addLayout(line);
        return line;
    };

    // Second row: the contact file, the number system, the cycles, the start tact.
    m_contactFile = Value("lbFileAdapter", this);
    m_system = Value("lbSystem", this);
    m_cycles = Value("lbCycles", this);
    m_startTact = Value("lbStartTact", this);
    row({{Caption(QStringLiteral("Файл адаптер:"), this), m_contactFile},
         {Caption(QStringLiteral("Система счисления:"), this), m_system},
         {Caption(QStringLiteral("Число циклов:"), this), m_cycles},
         {Caption(QStringLiteral("Начальный такт цикла:"), this), m_startTact}});

    // Third row: the probe thresholds, the debug cycle, the errors, the name.
    m_probeCaption = Caption(QStringLiteral("Зонд:"), this);
    m_probe = Value("lbZond", this);
    m_probe->setCursor(Qt::PointingHandCursor);
    m_probe->installEventFilter(this);
    m_cycleCaption = Caption(QStringLiteral("Цикл отладки:"), this);
    auto *cycleBox = new QWidget(this);
    m_previous = SmallButton(QStringLiteral("<"), "btCyclePrev", cycleBox);
    m_cycleBox = SmallButton(QStringLiteral(" 1"), "btDebugCycle", cycleBox);
    m_next = SmallButton(QStringLiteral(">"), "btCycleNext", cycleBox);
    connect(m_previous, &QToolButton::clicked, this, &InfoPanel::PreviousCycleRequested);
    connect(m_next, &QToolButton::clicked, this, &InfoPanel::NextCycleRequested);
    connect(m_cycleBox, &QToolButton::clicked, this, &InfoPanel::CycleDialogRequested);
    auto *cycleRow = new QHBoxLayout(cycleBox);
    cycleRow->setContentsMargins(0, 0, 0, 0);
    cycleRow->setSpacing(1);
    cycleRow->addWidget(m_previous);
    cycleRow->addWidget(m_cycleBox);
    cycleRow->addWidget(m_next);
    m_errors = Value("lbErrors", this);
    m_errors->setCursor(Qt::PointingHandCursor);
    m_errors->setToolTip(QStringLiteral("Диагноз: неисправные контакты по результатам запуска"));
    m_errors->installEventFilter(this);
    m_testName = Value("lbTestName", this);
    m_testName->setText(QString());
    m_testName->setMinimumWidth(60);
    QHBoxLayout *last = row({{m_probeCaption, m_probe},
                             {m_cycleCaption, cycleBox},
                             {Caption(QStringLiteral("Найдено ошибок:"), this), m_errors},
                             {Caption(QStringLiteral("Имя теста:"), this), m_testName}});
    last->setStretchFactor(m_testName, 1);
    SetDebugIndicators(false, false);
}

void InfoPanel::ShowTabs(int count)
{
    m_visibleTabs = std::clamp(count, 0, kTestTabs);
    for (int i = 0; i < kTestTabs; ++i)
        m_tabs[static_cast<std::size_t>(i)]->setVisible(i < m_visibleTabs);
    m_tabs[kAllTab]->setVisible(m_visibleTabs > 0);
}

QAbstractButton *InfoPanel::Tab(int index) const
{
    return index >= 0 && index <= kTestTabs ? m_tabs[static_cast<std::size_t>(index)] : nullptr;
}

void InfoPanel::PressTab(int index)
{
    if (QAbstractButton *button = Tab(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps one button down; release it by hand.
    m_tabGroup->setExclusive(false);
    for (QToolButton *button : m_tabs)
        button->setChecked(false);
    m_tabGroup->setExclusive(true);
}

int InfoPanel::PressedTab() const
{
    return m_tabGroup->checkedId();
}

void InfoPanel::SetTabResult(int index, TabResult result)
{
    if (index < 0 || index > kTestTabs)
        return;
    m_results[static_cast<std::size_t>(index)] = result;
    PaintTab(index);
}

InfoPanel::TabResult InfoPanel::ResultOfTab(int index) const
{
    return index >= 0 && index <= kTestTabs ? m_results[static_cast<std::size_t>(index)]
                                            : TabResult::None;
}

void InfoPanel::ResetTabResults()
{
    for (int i = 0; i <= kTestTabs; ++i)
        SetTabResult(i, TabResult::None);
}

void InfoPanel::PaintTab(int index)
{
    QToolButton *button = m_tabs[static_cast<std::size_t>(index)];
    QPalette palette = button->palette();
    QColor colour = palette.color(QPalette::WindowText);
    switch (m_results[static_cast<std::size_t>(index)]) {
    case TabResult::Failed:
        colour = Qt::red;
        break;
    case TabResult::Passed:
        colour = Qt::blue;
        break;
    case TabResult::None:
        colour = QWidget::palette().color(QPalette::ButtonText);
        break;
    }
    palette.setColor(QPalette::ButtonText, colour);
    button->setPalette(palette);
}

void InfoPanel::SetContactFile(const QString &name, const QString &path)
{
    m_contactFile->setText(name);
    m_contactFile->setToolTip(
        path.isEmpty() ? QString() : QStringLiteral("Файл контакта: \"") + path + QLatin1Char('"'));
}

void InfoPanel::SetNumberSystem(const QString &text)
{
    m_system->setText(text);
}

void InfoPanel::SetCycles(const QString &text)
{
    m_cycles->setText(text);
}

void InfoPanel::SetStartTact(const QString &text)
{
    m_startTact->setText(text);
}

void InfoPanel::SetErrors(const QString &text, bool alert)
{
    m_errors->setText(text);
    // On a tool bar a label writes in the colour of the bar's buttons, not
    // in the window's: colour the role it writes with.
    const QPalette::ColorRole role = m_errors->foregroundRole();
    QPalette palette = m_errors->palette();
    palette.setColor(role, alert ? QColor(Qt::red) : QWidget::palette().color(role));
    m_errors->setPalette(palette);
}

void InfoPanel::SetTestName(const QString &text)
{
    m_testName->setText(text);
}

void InfoPanel::SetDebugCycle(const QString &text)
{
    m_cycleBox->setText(text);
}

void InfoPanel::SetProbeThresholds(const QString &text)
{
    m_probe->setText(text);
    m_probe->setFixedWidth(QFontMetrics(m_probe->font()).horizontalAdvance(text) + 8);
}

void InfoPanel::SetDebugIndicators(bool visible, bool probeLabel)
{
    m_cycleCaption->setVisible(visible);
    m_cycleBox->parentWidget()->setVisible(visible);
    m_probeCaption->setVisible(visible && probeLabel);
    m_probe->setVisible(visible && probeLabel);
}

void InfoPanel::SetTestInfoEnabled(bool enabled)
{
    m_testInfo->setEnabled(enabled);
}

QLabel *InfoPanel::Label(const char *objectName) const
{
    return findChild<QLabel *>(QString::fromLatin1(objectName));
}

bool InfoPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_probe && event->type() == QEvent::MouseButtonRelease) {
        emit ProbeModeDialogRequested();
        return true;
    }
    if (watched == m_errors && event->type() == QEvent::MouseButtonRelease) {
        emit DiagnosisRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace qv::desk
