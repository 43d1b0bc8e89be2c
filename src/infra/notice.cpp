#include "infra/notice.h"

#include "infra/mesbo.h"

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

} // namespace qv
