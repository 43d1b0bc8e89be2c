#pragma once

// "Заводской номер платы": asked before a run when the setting says so. A
// bar-code scanner types into the field and ends with Enter, which presses
// "OK". An empty field runs without a serial number; "Отмена" (or Esc)
// runs nothing.

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

namespace qv::results_ui {

class SerialPrompt : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char *kTitle = "Заводской номер платы";

    explicit SerialPrompt(QWidget *parent);
    QLineEdit *Field() const { return m_field; }
    std::string Serial() const;

private:
    QLineEdit *m_field;
};

// Shows the prompt modally; nullopt when the operator cancelled.
std::optional<std::string> AskSerialNumber(QWidget *parent);

} // namespace qv::results_ui
