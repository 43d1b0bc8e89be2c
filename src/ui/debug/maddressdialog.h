#pragma once

// The M-function address dialog of debug mode: a click on a table row whose
// input word carries part of an M-function's write or read address. The
// operator types the whole address in the file's number base; the dialog
// shows the largest address the side's words can carry and how the typed
// address splits into the low and the high word. OK stores it as the
// function's current address of that side (WritePos or ReadPos); a text
// that is no number, or an address above the largest, is refused and
// changes nothing.

#include "model/content/maddresses.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

class TQuorvik;
struct STest;

namespace debug {

class TfmMAddress : public QDialog
{
    Q_OBJECT

public:
    TfmMAddress(const TQuorvik &doc, STest &test, const MAddressSide &side,
                QWidget *parent = nullptr);

    QLineEdit *Address() const { return m_address; }
    QLabel *LowPart() const { return m_low; }
    QLabel *HighPart() const { return m_high; }
    QPushButton *OkButton() const { return m_ok; }

private:
    void ShowParts();
    bool Store();

    const TQuorvik &m_doc;
    STest &m_test;
    MAddressSide m_side;
    QLineEdit *m_address = nullptr;
    QLabel *m_low = nullptr;
    QLabel *m_high = nullptr; // null for a one-word address
    QPushButton *m_ok = nullptr;
};

} // namespace debug
} // namespace qv
