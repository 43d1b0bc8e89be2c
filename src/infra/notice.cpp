#include "infra/notice.h"

#include "infra/mesbo.h"

#include <mutex>

namespace qv {

namespace {

int FlagsOf(NoticeKind kind)
{
    switch (kind) {
    case NoticeKind::Warning:
        return MbWarning;
    case NoticeKind::Information:
        return MbInformation;
    case NoticeKind::Question:
        return MbQuestion;
    case NoticeKind::Error:
        break;
    }
    return MbError;
}

NoticeAnswer AnswerOf(int button)
{
    switch (button) {
    case MbYes:
        return NoticeAnswer::Yes;
    case MbNo:
        return NoticeAnswer::No;
    default:
        return NoticeAnswer::Ok;
    }
}

// The watch sits in front of the installed message box and goes when the
// watch ends, putting the box it wrapped back.
class MessageBoxErrorWatch final : public ErrorWatch
{
public:
    MessageBoxErrorWatch()
    {
        auto tap = std::make_unique<Tap>(m_last);
        m_tap = tap.get();
        m_tap->inner = InstallMesbo(std::move(tap));
    }
    ~MessageBoxErrorWatch() override { InstallMesbo(std::move(m_tap->inner)); }
    MessageBoxErrorWatch(const MessageBoxErrorWatch &) = delete;
    MessageBoxErrorWatch &operator=(const MessageBoxErrorWatch &) = delete;

    std::string Last() const override
    {
        const std::lock_guard lock(m_last.mutex);
        return m_last.text;
    }

private:
    struct Shared
    {
        mutable std::mutex mutex;
        std::string text;
    };
    class Tap final : public TMesbo
    {
    public:
        explicit Tap(Shared &last)
            : m_last(last)
        {}
        int Show(const std::string &text, int flags, const std::string &caption) override
        {
            if (flags == MbError || flags == MbErrorRetryCancel) {
                const std::lock_guard lock(m_last.mutex);
                m_last.text = text;
            }
            return inner->Show(text, flags, caption);
        }
        std::unique_ptr<TMesbo> inner;

    private:
        Shared &m_last;
    };

    Shared m_last;
    Tap *m_tap = nullptr;
};

} // namespace

NoticeAnswer Tell(const NoticeSink &sink, Notice notice)
{
    if (sink)
        return sink(notice);
    return notice.kind == NoticeKind::Question ? NoticeAnswer::Yes : NoticeAnswer::Ok;
}

NoticeSink MessageBoxNotices()
{
    return [](const Notice &notice) {
        return AnswerOf(Mesbo().Show(notice.text, FlagsOf(notice.kind), notice.caption));
    };
}

std::unique_ptr<ErrorWatch> WatchMessageBoxErrors()
{
    return std::make_unique<MessageBoxErrorWatch>();
}

} // namespace qv
