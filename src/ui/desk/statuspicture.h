#pragma once

// The status picture of the run bar: the picture and hint of the status
// monitor's code, a hint window at the main window's lower left corner while
// the mouse is over the picture, and the relay that brings the monitor's
// calls from its thread to the main thread.

#include "execution/port/hardstatus.h"
#include "execution/port/testerport.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <string>

namespace qv::desk {

// The picture of a status resource name ("STATUS_OK", "STATUS_MK_ERR", ...);
// a null image for a name this program has no picture for.
QImage StatusImage(const std::string &resource);

// Receives the status monitor's pictures and the tester port's reports on
// any thread and emits them on the thread this object lives in (the main
// thread), in order.
class StatusRelay : public QObject, public HardStatusObserver, public TesterPortObserver
{
    Q_OBJECT

public:
    explicit StatusRelay(QObject *parent = nullptr);
    void ShowStatusPicture(const StatusPicture &picture) override;
    void CalibrationCaptionChanged(const std::string &caption) override;
    void UnitStatusChanged(UnitStatus code) override;

signals:
    void PictureChanged(qv::UnitStatus code, const QString &resource, const QString &hint);
    void CalibrationCaptionRelayed(const QString &caption);
    // After a reset of the unit: Connected or NoConnection.
    void UnitStatusRelayed(qv::UnitStatus code);
};

// The hint window: at most 400 pixels wide, word-wrapped.
class StatusHintWindow : public QLabel
{
    Q_OBJECT

public:
    static constexpr int kMaxWidth = 400;
    explicit StatusHintWindow(QWidget *parent = nullptr);
    // Shows `text` with its lower left corner 3 pixels in from the anchor
    // window's left edge and 7 pixels above its bottom edge.
    void ShowAt(const QWidget &anchor, const QString &text);
};

class StatusPictureLabel : public QLabel
{
    Q_OBJECT

public:
    explicit StatusPictureLabel(QWidget *parent = nullptr);

    // False (after the message with the stop icon) when the resource has
    // no picture; the hint is taken either way.
    bool SetPicture(UnitStatus code, const QString &resource, const QString &hint);
    UnitStatus Code() const { return m_code; }
    QString HintText() const { return m_hint; }
    StatusHintWindow *HintWindow() const { return m_hintWindow; }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    UnitStatus m_code = UnitStatus::NotShown;
    QString m_hint;
    QPointer<StatusHintWindow> m_hintWindow;
};

} // namespace qv::desk
