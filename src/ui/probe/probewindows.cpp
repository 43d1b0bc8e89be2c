#include "ui/probe/probewindows.h"

#include "execution/threads/postcall.h"
#include "ui/functions/runprompt.h"
#include "ui/probe/scowindow.h"
#include "ui/probe/vinfowindow.h"

#include <QWidget>

namespace qv::probe {

namespace {
const QString kCaption = QStringLiteral("V-функция");
}

ProbeWindows::ProbeWindows(QWidget *parent, std::function<OscillogramColours()> colours)
    : m_parent(parent)
    , m_colours(std::move(colours))
{}

ProbeWindows::~ProbeWindows()
{
    if (m_live)
        m_live->close();
}

TfmSco *ProbeWindows::LiveWindow() const
{
    return m_live;
}

bool ProbeWindows::ConfirmPreparation(const std::string &name, const std::string &info)
{
    // The run waits here: the V-function window leaves its functions alone.
    const functions::RunPromptScope waiting;
    TfmVInfo window(TfmVInfo::Kind::Preparation, QString::fromStdString(name),
                    QString::fromStdString(info), m_parent);
    return window.exec() == QDialog::Accepted;
}

void ProbeWindows::OpenLive(const LiveStart &start)
{
    if (m_live)
        m_live->close();
    m_live = new TfmSco(start, m_colours ? m_colours() : OscillogramColours{}, m_parent);
    m_live->setWindowFlag(Qt::Window, true);
    m_live->show();
    emit LiveOpened(m_live);
}

void ProbeWindows::BlockReceived(int cycle, const Waveform &samples)
{
    PostCall(this, [this, cycle, samples] {
        if (m_live)
            m_live->BlockReceived(cycle, samples);
    });
}

void ProbeWindows::CapturesDone(int captures)
{
    PostCall(this, [this, captures] {
        if (m_live)
            m_live->CapturesDone(captures);
    });
}

void ProbeWindows::CloseLive()
{
    PostCall(this, [this] {
        if (m_live)
            m_live->close();
    });
}

void ProbeWindows::ShowDeviceError(const std::string &text)
{
    const functions::RunPromptScope waiting;
    TfmVInfo window(TfmVInfo::Kind::DeviceError, kCaption, QString::fromStdString(text), m_parent);
    window.exec();
}

} // namespace qv::probe
