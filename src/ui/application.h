#pragma once

#include <QApplication>

namespace qv {

class TExcept;

// The application object. Any exception that escapes an event handler is
// caught here and handed to the failure handler instead of ending the
// process.
class QuorvikApplication : public QApplication
{
    Q_OBJECT

public:
    QuorvikApplication(int &argc, char **argv);

    // Not owned; null until start-up creates the handler.
    void setFailureHandler(TExcept *handler) { m_handler = handler; }

    bool notify(QObject *receiver, QEvent *event) override;

private:
    TExcept *m_handler = nullptr;
};

} // namespace qv
