#pragma once

// A small waiting window: a moving picture and a line of text. The program
// shows it with "Завершение работы. Ждите..." while it shuts down, and with
// its own line while a run makes the link to the unit again.

#include <QString>
#include <QWidget>

class QTimer;

namespace qv::desk {

class ClosingWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char *kText = "Завершение работы. Ждите...";

    explicit ClosingWindow(QWidget *parent = nullptr, QString text = QString::fromUtf8(kText));
    // Shows the window centred on its parent and paints it at once.
    void ShowNow();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QTimer *m_timer = nullptr;
    int m_step = 0;
};

} // namespace qv::desk
