#include "remote/remotelog.h"

#include <algorithm>

namespace qv {

QString RemoteLogLine::Shown() const
{
    return time.toString(QStringLiteral("hh:mm:ss.zzz")) + QStringLiteral(": ") + text;
}

void RemoteLog::Add(const QString &text, RemoteLogColour colour, bool bold)
{
    m_lines.push_back({QTime::currentTime(), text, colour, bold});
    if (m_lines.size() > kMaxLines)
        m_lines.pop_front();
    emit LineAdded(m_lines.back());
}

void RemoteLog::Clear()
{
    m_lines.clear();
    emit Cleared();
}

bool RemoteLog::Contains(const QString &text) const
{
    return std::any_of(m_lines.begin(), m_lines.end(),
                       [&](const RemoteLogLine &line) { return line.text == text; });
}

} // namespace qv
