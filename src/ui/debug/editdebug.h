#pragma once

// The dialog "Отладка" (TfmEditDebug): the debug value of one input word
// ('i'), generator word ('g') or G-cycle ('G') of the current test in one
// cycle. OK parses the text (an input word in the file's number base,
// generator words and G-cycles as decimal numbers up to 65535), checks it
// against the word's bus and role, and stores it as the word's links ask:
// an F-function's address word also takes the function's data element of
// that address into the data word, an M-function's address words take the
// value together. Refusals keep the dialog open and change nothing.

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace qv {

class TQuorvik;
struct STest;

namespace debug {

struct DebugEditTarget
{
    char letter = 'i'; // 'i', 'g' or 'G'
    int word = 0;      // the word's number
    int cycle = 0;     // 0-based
};

// Checks and stores a debug value as OK does; false after the refusal's
// message. An automatic call (the value given, no dialog) uses it alone.
bool ApplyDebugValue(TQuorvik &doc, STest &test, const DebugEditTarget &target,
                     const QString &text);

class TfmEditDebug : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kMaxLength = 9;

    TfmEditDebug(TQuorvik &doc, STest &test, DebugEditTarget target, const QString &value,
                 QWidget *parent = nullptr);

    QLineEdit *Value() const { return m_value; }
    QPushButton *OkButton() const { return m_ok; }

private:
    TQuorvik &m_doc;
    STest &m_test;
    DebugEditTarget m_target;
    QLineEdit *m_value = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace debug
} // namespace qv
