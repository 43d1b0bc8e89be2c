#pragma once

// The small window shown while the program shuts down: a moving picture
// and "Завершение работы. Ждите...".

#include <QWidget>

class QTimer;

namespace qv::desk {

class ClosingWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char *kText = "Завершение работы. Ждите...";

    explicit ClosingWindow(QWidget *parent = nullptr);
    // Shows the window centred on its parent and paints it at once.
    void showNow();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTimer *m_timer = nullptr;
    int m_step = 0;
};

} // namespace qv::desk
