#pragma once

// InputHooks: the application-wide input watch of the remote server. While
// installed it reports every left, right and middle button press on any
// widget of the program and passes every event on unchanged; keys are only
// passed on. One object serves every user: the main window owns it, the
// remote server installs it while it is active and listens to Pressed().

#include <QObject>
#include <QPoint>

namespace qv::services {

class InputHooks : public QObject
{
    Q_OBJECT

public:
    explicit InputHooks(QObject *parent = nullptr);
    ~InputHooks() override;

    // Idempotent: installing twice watches once.
    void Install();
    void Remove();
    bool Installed() const { return m_installed; }

signals:
    // A button went down over `target` (the widget under the pointer).
    void Pressed(QObject *target, Qt::MouseButton button, QPoint globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Press
    {
        quint64 timestamp = 0;
        QPoint globalPos;
        Qt::MouseButton button = Qt::NoButton;
        friend bool operator==(const Press &, const Press &) = default;
    };
    bool m_installed = false;
    Press m_last;
};

} // namespace qv::services
