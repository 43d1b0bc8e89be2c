#pragma once

// The small pictures of the two views, drawn once by code: the three
// address stepping marks of the table (up, down, none) and the probe
// enabled/disabled icons of the diagram's probe labels. Images rather than
// pixmaps, so that picture export paints them without a window system.

#include <QImage>

namespace qv::views {

class ViewPictures
{
public:
    enum : int { TableUp = 1, TableDown = 2, TableNone = 3 };

    ViewPictures();

    // The table picture of a mark 1..3; a null image for any other mark.
    const QImage &TablePicture(int mark) const;
    const QImage &ProbeIcon(bool on) const { return on ? m_probeOn : m_probeOff; }

private:
    QImage m_up;
    QImage m_down;
    QImage m_none;
    QImage m_probeOn;
    QImage m_probeOff;
    QImage m_null;
};

} // namespace qv::views
