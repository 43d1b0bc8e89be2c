#pragma once

// ProbeWindows: the probe driver's windows. It shows the V-function info
// window before a recording run and after a failure of the probe, and
// keeps the live oscillogram window of the run. The acquisition thread's
// calls carry values and are queued over to this object's thread; nothing
// waits for the windows there.

#include "model/settings/oscillogramcolours.h"
#include "probe/skopelview.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace qv::probe {

class TfmSco;

class ProbeWindows final : public QObject, public SkopelView
{
    Q_OBJECT

public:
    // The colours are asked for each time a live window opens. parent owns
    // the windows and must outlive this object.
    ProbeWindows(QWidget *parent, std::function<OscillogramColours()> colours);
    ~ProbeWindows() override;

    bool ConfirmPreparation(const std::string &name, const std::string &info) override;
    void OpenLive(const LiveStart &start) override;
    void BlockReceived(int cycle, const Waveform &samples) override;
    void CapturesDone(int captures) override;
    void CloseLive() override;
    void ShowDeviceError(const std::string &text) override;

    // The live window of the last run while it is open.
    TfmSco *LiveWindow() const;

signals:
    // A live window has been opened (tests and screenshots watch it).
    void LiveOpened(qv::probe::TfmSco *window);

private:
    QWidget *m_parent;
    std::function<OscillogramColours()> m_colours;
    QPointer<TfmSco> m_live;
};

} // namespace qv::probe
