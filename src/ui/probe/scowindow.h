#pragma once

// TfmSco: the live window "Осциллограмма" of a recording run. It shows the
// V-function ("Функция: V1: \"name\""), the first captured cycle, the sweep
// and the amplitude of the current cycle, and the oscillogram of the first
// captured cycle: the reference and the waveform recorded last. The status
// reads "данных нет" until the first block, then "съём" in a colour that
// alternates with every block, and "Съёмов: N" in black when the run ends.
// ">" shows the function's info text, "<" hides it again.

#include "model/functions/funcv.h"
#include "model/settings/oscillogramcolours.h"
#include "probe/skopelview.h"

#include <QDialog>
#include <QImage>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qv::probe {

class TfmSco : public QDialog
{
    Q_OBJECT

public:
    // The two colours the status alternates between, 0x00BBGGRR.
    static constexpr std::uint32_t kStatusColours[2] = {0xC60000, 0xFF7D7D};

    TfmSco(const LiveStart &start, const OscillogramColours &colours, QWidget *parent = nullptr);

    // A block was captured; only the first captured cycle is drawn.
    void BlockReceived(int cycle, const Waveform &samples);
    void CapturesDone(int captures);

    QLabel *FunctionLabel() const { return m_function; }
    QLabel *CycleLabel() const { return m_cycle; }
    QLabel *SweepLabel() const { return m_sweep; }
    QLabel *AmplitudeLabel() const { return m_amplitude; }
    QLabel *StatusLabel() const { return m_status; }
    QPushButton *InfoButton() const { return m_infoButton; }
    QPlainTextEdit *InfoText() const { return m_info; }
    // The picture as drawn last.
    const QImage &Picture() const { return m_image; }
    // The status colour as 0x00BBGGRR.
    std::uint32_t StatusColour() const { return m_statusColour; }
    int Blocks() const { return m_blocks; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Redraw();
    void SetStatus(const QString &text, std::uint32_t bgr);

    SFuncV m_shown; // what the picture draws: the function's cycle
    int m_firstCycle = 0;
    OscillogramColours m_colours;
    QImage m_image;
    QLabel *m_function = nullptr;
    QLabel *m_cycle = nullptr;
    QLabel *m_sweep = nullptr;
    QLabel *m_amplitude = nullptr;
    QLabel *m_sweepDivision = nullptr;
    QLabel *m_amplitudeDivision = nullptr;
    QLabel *m_picture = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_infoButton = nullptr;
    QPlainTextEdit *m_info = nullptr;
    std::uint32_t m_statusColour = 0;
    int m_blocks = 0;
};

} // namespace qv::probe
