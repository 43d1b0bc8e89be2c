#include "ui/mainwindow.h"

#include "infra/version.h"

#include <QAction>
#include <QMenuBar>

namespace qv {

TBaseForm::TBaseForm(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("BaseForm"));
    setWindowTitle(QString::fromUtf8(kProductName));
    setCentralWidget(new QWidget(this));
    createMenus();
    resize(900, 600);
}

void TBaseForm::createMenus()
{
    auto *file = menuBar()->addMenu(QStringLiteral("&Файл"));
    file->setObjectName(QStringLiteral("mnFile"));
    m_acExit = file->addAction(QStringLiteral("&Выход"));
    m_acExit->setObjectName(QStringLiteral("acExit"));
    m_acExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    m_acExit->setStatusTip(QStringLiteral("Завершить работу программы"));
    connect(m_acExit, &QAction::triggered, this, &QWidget::close);
}

} // namespace qv
