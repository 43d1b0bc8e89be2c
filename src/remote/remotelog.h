#pragma once

// One of the three logs of the remote link ("Соединение", "Инфо", "Чат"):
// lines with their time, kept as data for the remote window to show.

#include <QObject>
#include <QString>
#include <QTime>
#include <deque>

namespace qv {

enum class RemoteLogColour {
    Default,
    Navy,     // connection events
    Red,      // errors
    DarkBlue, // received chat
    Green,    // sent chat
};

struct RemoteLogLine
{
    QTime time;
    QString text;
    RemoteLogColour colour = RemoteLogColour::Default;
    bool bold = false;

    // "hh:mm:ss.zzz: text", as the window shows it.
    QString Shown() const;
};

// Keeps the last kMaxLines lines: a peer that talks without end costs no
// more than that.
class RemoteLog : public QObject
{
    Q_OBJECT
public:
    static constexpr std::size_t kMaxLines = 2000;

    using QObject::QObject;

    void Add(const QString &text, RemoteLogColour colour = RemoteLogColour::Default,
             bool bold = false);
    void Clear();
    const std::deque<RemoteLogLine> &Lines() const { return m_lines; }
    bool Contains(const QString &text) const;

signals:
    void LineAdded(const qv::RemoteLogLine &line);
    void Cleared();

private:
    std::deque<RemoteLogLine> m_lines;
};

} // namespace qv
