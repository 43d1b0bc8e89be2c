#include "infra/mesbo.h"
#include "infra/notice.h"

#include <gtest/gtest.h>
#include <thread>

namespace qv {
namespace {

// Installs a recording message box for the test and puts the old one back.
struct RecordingBox
{
    RecordingBox()
    {
        auto box = std::make_unique<ScriptedMesbo>();
        scripted = box.get();
        previous = InstallMesbo(std::move(box));
    }
    ~RecordingBox() { InstallMesbo(std::move(previous)); }

    ScriptedMesbo *scripted = nullptr;
    std::unique_ptr<TMesbo> previous;
};

TEST(Notices, TheMessageBoxShowsEachKindWithItsIconAndAnswersForTheOperator)
{
    RecordingBox box;
    box.scripted->QueueAnswer(MbNo);
    const NoticeSink sink = MessageBoxNotices();
    EXPECT_EQ(sink({NoticeKind::Question, "Перезаписать файл?", "Файл данных"}), NoticeAnswer::No);
    EXPECT_EQ(sink({NoticeKind::Question, "Продолжить?", "Файл данных"}), NoticeAnswer::Yes);
    EXPECT_EQ(sink({NoticeKind::Error, "Нет связи", "Блок диагностики"}), NoticeAnswer::Ok);
    EXPECT_EQ(sink({NoticeKind::Warning, "Предупреждение", ""}), NoticeAnswer::Ok);
    EXPECT_EQ(sink({NoticeKind::Information, "Готово", "Пуск"}), NoticeAnswer::Ok);
    const auto shown = box.scripted->ShownMessages();
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0].flags, MbQuestion);
    EXPECT_EQ(shown[0].text, "Перезаписать файл?");
    EXPECT_EQ(shown[0].caption, "Файл данных");
    EXPECT_EQ(shown[2].flags, MbError);
    EXPECT_EQ(shown[3].flags, MbWarning);
    EXPECT_EQ(shown[4].flags, MbInformation);
}

TEST(Notices, NobodyListeningTellsNobodyAndAQuestionIsAnsweredAsEnterWould)
{
    RecordingBox box;
    EXPECT_EQ(Tell({}, {NoticeKind::Question, "Перезаписать файл?", ""}), NoticeAnswer::Yes);
    EXPECT_EQ(Tell({}, {NoticeKind::Error, "Ошибка", ""}), NoticeAnswer::Ok);
    EXPECT_EQ(box.scripted->Count(), 0u);
}

TEST(Notices, AWatchRemembersTheLastErrorShownFromAnyThreadAndThenGoes)
{
    RecordingBox box;
    {
        const auto watch = WatchMessageBoxErrors();
        EXPECT_EQ(watch->Last(), "");
        Mesbo().Show("Первая ошибка", MbError, "Пуск");
        std::thread([] { Mesbo().Show("Вторая ошибка", MbErrorRetryCancel, "Пуск"); }).join();
        Mesbo().Show("Не ошибка", MbInformation, "Пуск");
        EXPECT_EQ(watch->Last(), "Вторая ошибка");
        EXPECT_EQ(box.scripted->Count(), 3u) << "every message still reaches the box";
    }
    Mesbo().Show("После", MbError, "Пуск");
    EXPECT_EQ(box.scripted->Count(), 4u) << "the box it wrapped is back in place";
}

} // namespace
} // namespace qv
