#pragma once

// The run bar ("Пуск"): the toggle buttons "Пуск", "Непрерывный",
// "Отладка", "Зонд", "G,O-циклы" and the status picture. The buttons only
// report clicks; the window sets their pressed and enabled states.

#include <QWidget>

class QToolButton;

namespace qv::desk {

class StatusPictureLabel;

class RunBar : public QWidget
{
    Q_OBJECT

public:
    explicit RunBar(QWidget *parent = nullptr);

    QToolButton *Pusk() const { return m_pusk; }
    QToolButton *Solid() const { return m_solid; }
    QToolButton *Debug() const { return m_debug; }
    QToolButton *Zond() const { return m_zond; }
    QToolButton *Cycles() const { return m_cycles; }
    StatusPictureLabel *Status() const { return m_status; }

private:
    QToolButton *m_pusk = nullptr;
    QToolButton *m_solid = nullptr;
    QToolButton *m_debug = nullptr;
    QToolButton *m_zond = nullptr;
    QToolButton *m_cycles = nullptr;
    StatusPictureLabel *m_status = nullptr;
};

} // namespace qv::desk
