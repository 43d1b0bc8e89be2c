#pragma once

// TfmPassword ("Пароль"): asks for the read or the write password of a test
// file. It holds a copy of the stored check value taken when it opens, so
// nothing the operator types can change what is compared with; a wrong
// password is answered with catalogue message 30 (Retry empties the field,
// Cancel ends the request).

#include "model/file/testfileui.h"

#include <QDialog>

class QLineEdit;

namespace qv::file {

class TfmPassword : public QDialog
{
    Q_OBJECT

public:
    // request: read for the mode, the file and the transform; its Password
    // receives the padded password when the dialog is accepted.
    TfmPassword(PasswordRequest &request, QWidget *parent = nullptr);

    QLineEdit *Entry() const { return m_entry; }

    // Shows the dialog modally; true when the typed password matched.
    static bool Ask(PasswordRequest &request, QWidget *parent);

    void accept() override;

private:
    PasswordRequest &m_request;
    const Bytes32 m_check; // the stored check value as it was at opening
    QLineEdit *m_entry = nullptr;
};

// The request line for a mode, without its final ".".
QString PasswordRequestText(int mode);

} // namespace qv::file
