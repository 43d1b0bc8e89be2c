#pragma once

#include "infra/fatalerror.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace qv {

// The window "Критический сбой в программе": a fixed explanation, the
// failure text in a group that grows to fit it, and the choice between
// carrying on and closing the program.
class TfmMsgException : public QDialog
{
    Q_OBJECT

public:
    explicit TfmMsgException(const QString &failureText, QWidget *parent = nullptr);

    FatalChoice Choice() const { return m_choice; }
    QPushButton *ContinueButton() const { return m_continue; }
    QPushButton *CloseButton() const { return m_close; }
    QString FailureText() const;

    // Shows the window modally and returns the choice.
    static FatalChoice Ask(const std::string &failureText);

private:
    FatalChoice m_choice = FatalChoice::Continue;
    QLabel *m_failure = nullptr;
    QPushButton *m_continue = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace qv
