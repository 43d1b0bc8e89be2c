#include "ui/desk/runbar.h"

#include "ui/desk/statuspicture.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace qv::desk {
namespace {

QToolButton *Toggle(const QString &text, const char *name, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setCheckable(true);
    button->setMinimumWidth(60);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

RunBar::RunBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pnRun"));
    m_pusk = Toggle(QStringLiteral("Пуск"), "btPusk", this);
    QFont bold = m_pusk->font();
    bold.setBold(true);
    m_pusk->setFont(bold);
    m_pusk->setToolTip(QStringLiteral("Запуск теста (F5)"));
    m_solid = Toggle(QStringLiteral("Непрерывный"), "btSolidTest", this);
    m_debug = Toggle(QStringLiteral("Отладка"), "btDebug", this);
    m_zond = Toggle(QStringLiteral("Зонд"), "btZond", this);
    m_cycles = Toggle(QStringLiteral("G,O-циклы"), "btCycles", this);
    m_status = new StatusPictureLabel(this);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 1, 4, 1);
    row->setSpacing(3);
    for (QToolButton *button : {m_pusk, m_solid, m_debug, m_zond, m_cycles})
        row->addWidget(button);
    row->addSpacing(8);
    row->addWidget(m_status);
}

} // namespace qv::desk
