#pragma once

// Test support: the run window as the run thread sees it, recording what
// the thread shows and decodes.

#include "execution/run/pusk.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace qv::testing {

// The run window as a recorder.
class RecordingHost final : public PuskHost
{
public:
    void ShowStatus(const std::string &text) override { Add(statuses, text); }
    void ShowActivity(ActivityPicture picture) override
    {
        if (onActivity)
            onActivity(picture);
    }
    void ShowMFunctionProgress(std::span<const std::uint8_t>) override {}
    void ShowProgress(int index, int total) override
    {
        std::lock_guard lock(mutex);
        progress.emplace_back(index, total);
    }
    void ShowResults(ResultStage) override {}
    void PassCompleted() override { ++passes; }
    void ShowThreadError(const std::string &text) override { Add(errors, text); }
    int AnswerQuestion(QuestionKind, std::span<const std::uint8_t>) override { return 1; }
    void ShowProgramming(int, int) override {}
    bool StopPanelVisible() const override { return stopPanel; }
    void StoppedOnBench() override { stopPanel = false; }
    void CurrentAlarm() override {}
    bool DecodeAnswer(int code, std::span<const std::uint8_t> answer) override
    {
        std::lock_guard lock(mutex);
        decoded.emplace_back(code, std::vector<std::uint8_t>(answer.begin(), answer.end()));
        return true;
    }
    std::int32_t ErrorMark() const override { return mark; }
    void SetErrorMark(std::int32_t value) override { mark = value; }

    std::atomic<bool> stopPanel{true};

    std::vector<std::string> Statuses()
    {
        std::lock_guard lock(mutex);
        return statuses;
    }

    void Add(std::vector<std::string> &list, const std::string &text)
    {
        std::lock_guard lock(mutex);
        list.push_back(text);
    }

    // Runs on the run thread as it shows a picture: a test may hold the
    // thread there (set before the run starts).
    std::function<void(ActivityPicture)> onActivity;
    std::mutex mutex;
    std::vector<std::string> statuses;
    std::vector<std::string> errors;
    std::vector<std::pair<int, int>> progress;
    std::vector<std::pair<int, std::vector<std::uint8_t>>> decoded;
    std::atomic<int> passes{0};
    std::atomic<std::int32_t> mark{0};
};

} // namespace qv::testing
