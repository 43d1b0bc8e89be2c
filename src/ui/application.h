#pragma once

#include <QApplication>
#include <QTranslator>

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
    void SetFailureHandler(TExcept *handler) { m_handler = handler; }

    bool notify(QObject *receiver, QEvent *event) override;

    // Installs the toolkit's own Russian texts (standard dialogs and
    // buttons) from its translations folder; the program's own texts are
    // Russian already. The locale becomes Russian too. False when they are
    // not installed there.
    bool InstallToolkitTranslations();
    void RemoveToolkitTranslations();

private:
    TExcept *m_handler = nullptr;
    QTranslator m_toolkitTexts;
};

} // namespace qv
