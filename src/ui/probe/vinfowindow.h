#pragma once

// TfmVInfo: the V-function info window a recording run shows: before the
// run, "Подготовка перед запуском теста" with the function's info text
// ("OK" starts, "Отмена" does not); after a failure of the probe, "В ходе
// работы с устройством произошла следующая ошибка" and the failure.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qv::probe {

class TfmVInfo : public QDialog
{
    Q_OBJECT

public:
    enum class Kind { Preparation, DeviceError };
    static constexpr const char *kPreparation = "Подготовка перед запуском теста";
    static constexpr const char *kDeviceError =
        "В ходе работы с устройством произошла следующая ошибка";

    TfmVInfo(Kind kind, const QString &title, const QString &text, QWidget *parent = nullptr);

    Kind WindowKind() const { return m_kind; }
    QLabel *Heading() const { return m_heading; }
    QPlainTextEdit *Text() const { return m_text; }
    QPushButton *CancelButton() const { return m_cancel; } // null for a device error

private:
    Kind m_kind;
    QLabel *m_heading = nullptr;
    QPlainTextEdit *m_text = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace qv::probe
