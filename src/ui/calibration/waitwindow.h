#pragma once

// TfmConfigOWait: the output-word wait tests of a type-0 unit and its wait
// table. "&Запустить" starts the chosen test (a meander, or a meander with
// an output word of N bits waited for a number of passes), "&Остановить"
// stops it; the toggle "Данные" reads the wait table (which also writes the
// ".clb" file) and shows it as a grid of T0 and Tinc for N = 1..16. Beside
// the test list a picture shows the wiring of the chosen test.

#include "execution/run/runcalibration.h"

#include <QDialog>
#include <filesystem>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace qv::calibration {

class CalibrationSession;

class TfmConfigOWait : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kMaxPasses = 999;
    static constexpr QSize kSmall{464, 153};
    static constexpr QSize kLarge{658, 277};

    // session: the open calibration of the parameters window; maxWidth: the
    // widest output word the open file can have.
    TfmConfigOWait(CalibrationSession &session, std::filesystem::path clbPath, int maxWidth,
                   const QString &caption, QWidget *parent = nullptr);

    QComboBox *TestList() const { return m_test; }
    QLineEdit *WidthField() const { return m_width; }
    QLineEdit *PassesField() const { return m_passes; }
    QPushButton *RunButton() const { return m_run; }
    QPushButton *StopButton() const { return m_stop; }
    QPushButton *DataButton() const { return m_data; }
    QTableWidget *Grid() const { return m_grid; }
    QLabel *WiringPicture() const { return m_picture; }

    void done(int result) override;

private:
    void Run();
    void Stop();
    void ShowData(bool on);
    bool CheckField(QLineEdit *field, int upper, const std::string &message);
    void SwapButtons(bool running);

    CalibrationSession &m_session;
    std::filesystem::path m_clbPath;
    int m_maxWidth;
    bool m_running = false;
    QComboBox *m_test = nullptr;
    QLineEdit *m_width = nullptr;
    QLineEdit *m_passes = nullptr;
    QPushButton *m_run = nullptr;
    QPushButton *m_stop = nullptr;
    QPushButton *m_data = nullptr;
    QLabel *m_explanation = nullptr;
    QLabel *m_picture = nullptr; // the wiring of the chosen test
    QTableWidget *m_grid = nullptr;
};

} // namespace qv::calibration
