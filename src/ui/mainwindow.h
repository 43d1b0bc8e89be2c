#pragma once

#include <QMainWindow>

class QAction;

namespace qv {

// The operator's main window (form name "BaseForm"). Owns its menus, tool
// bars and views; the document lives as long as the window does.
class TBaseForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TBaseForm(QWidget *parent = nullptr);

    QAction *exitAction() const { return m_acExit; }

private:
    void createMenus();

    QAction *m_acExit = nullptr;
};

} // namespace qv
