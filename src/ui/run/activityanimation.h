#pragma once

// The activity picture of the run window: a computer on the left, the
// diagnostics unit on the right and the link between them. Idle shows the
// two still; running sends a stream of dots to the unit; receiving brings
// them back. Drawn by code and stepped by a timer of its own, which runs
// only while something moves.

#include <QTimer>
#include <QWidget>

namespace qv::run {

class ActivityAnimation : public QWidget
{
    Q_OBJECT

public:
    enum Mode : int { Idle = 0, Running = 1, Receiving = 2 };
    static constexpr int kStepMs = 60;
    static constexpr int kPhases = 12;

    explicit ActivityAnimation(QWidget *parent = nullptr);

    // 0 idle, 1 running, 2 receiving; any other value counts as idle.
    void SetMode(int mode);
    Mode CurrentMode() const { return m_mode; }
    int Phase() const { return m_phase; }
    bool Animating() const { return m_timer.isActive(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void Step();
    void UpdateTimer();

    Mode m_mode = Idle;
    int m_phase = 0;
    QTimer m_timer;
};

} // namespace qv::run
