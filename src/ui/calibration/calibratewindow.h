#pragma once

// TfmCalibrate ("Настройка частотно-временных параметров"): a type-1 unit's
// three measured periods, adjusted by the operator with an oscilloscope.
// Each measurement m has a group with its period field (T1 in µs, T2 and T3
// in ms), "Старт" (held down while the unit generates) and "Стоп".
// "Применить" and "Сохранить" send the periods to the unit; when one of
// them was confirmed, closing recomputes k and b from T1 and T3.
//
// "Старт" waits for the unit's acknowledgement without holding the window:
// the answer is looked for by a timer while a line says that the window
// waits; the wait ends with the acknowledgement, with the port's no-answer
// message after the port's time-out, or with Esc (the unit is then told to
// stop, without waiting for it).

#include "ui/calibration/calibrationsession.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <array>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qv::calibration {

class TfmCalibrate : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kMeasurements = 3;

    // k and b: the settings' values of the I/O time and the wait time.
    struct Context
    {
        TCP &tester;
        TthHardStatus *monitor = nullptr;
        double &k;
        double &b;
    };

    // Reads the periods; null (the window is not to be shown) when the unit
    // could not be reset or answered wrongly.
    static std::unique_ptr<TfmCalibrate> Open(Context context, QWidget *parent = nullptr);
    ~TfmCalibrate() override;

    QGroupBox *Group(int m) const { return m_groups.at(static_cast<std::size_t>(m)); }
    QLineEdit *Field(int m) const { return m_fields.at(static_cast<std::size_t>(m)); }
    QPushButton *StartButton(int m) const { return m_starts.at(static_cast<std::size_t>(m)); }
    QPushButton *StopButton(int m) const { return m_stops.at(static_cast<std::size_t>(m)); }
    QPushButton *ApplyButton() const { return m_apply; }
    QPushButton *SaveButton() const { return m_save; }
    bool Confirmed() const { return m_confirmed; }
    // The measurement whose "Старт" waits for the unit, -1 none.
    int WaitingMeasurement() const { return m_waiting; }
    QLabel *WaitLine() const { return m_waitLine; }

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    TfmCalibrate(Context context, QWidget *parent);
    bool ReadPeriods();
    void Start(int m);
    void Stop(int m);
    void PollStart();
    // Ends the wait of "Старт"; `pressed` holds the button down.
    void EndWait(bool pressed);
    void CancelWait();
    void Send(std::uint8_t operation);

    Context m_context;
    CalibrationSession m_session;
    bool m_confirmed = false;
    bool m_closed = false;
    std::array<QGroupBox *, kMeasurements> m_groups{};
    std::array<QLineEdit *, kMeasurements> m_fields{};
    std::array<QPushButton *, kMeasurements> m_starts{};
    std::array<QPushButton *, kMeasurements> m_stops{};
    QPushButton *m_apply = nullptr;
    QPushButton *m_save = nullptr;
    QLabel *m_waitLine = nullptr;
    QTimer m_waitTimer;
    QElapsedTimer m_waitClock;
    int m_waiting = -1;
    int m_waitLimitMs = 0;
};

// A period field's value; nullopt for text that is no number.
std::optional<double> PeriodValue(const QLineEdit &field);

} // namespace qv::calibration
