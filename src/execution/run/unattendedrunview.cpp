#include "execution/run/unattendedrunview.h"

#include "execution/run/unitquestion.h"
#include "model/document/quorvik.h"

#include <algorithm>

namespace qv {

UnattendedRunView::UnattendedRunView(TQuorvik &doc, Options options, LineSink sink)
    : m_doc(doc)
    , m_options(std::move(options))
    , m_sink(std::move(sink))
{}

void UnattendedRunView::PressEscape()
{
    {
        std::lock_guard lock(m_mutex);
        m_escapeWanted = true;
    }
    m_wake.notify_all();
}

void UnattendedRunView::Exec(RunSession &session)
{
    {
        // A view may serve several runs; nothing of an earlier one carries over.
        std::lock_guard lock(m_mutex);
        m_tasks.clear();
        m_closeAt.reset();
        m_closed = false;
        m_escapeWanted = false;
        m_lastPercent = -1;
    }
    m_results = 0;
    m_errors = 0;
    if (m_options.cancelOnStartPage)
        session.OperatorClose();
    else
        session.Ok(m_options.vChoice);
    std::unique_lock lock(m_mutex);
    while (!m_closed) {
        // Woken by every change; a close timer wakes it when it is due, not
        // at the next turn of a coarser poll.
        const auto due = [this] {
            return m_closed || m_escapeWanted || !m_tasks.empty() ||
                   (m_closeAt && std::chrono::steady_clock::now() >= *m_closeAt);
        };
        const auto turn = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
        m_wake.wait_until(lock, m_closeAt ? std::min(*m_closeAt, turn) : turn, due);
        if (m_escapeWanted) {
            m_escapeWanted = false;
            lock.unlock();
            session.Escape();
            lock.lock();
        }
        while (!m_tasks.empty()) {
            auto task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
            lock.lock();
        }
        if (m_closeAt && std::chrono::steady_clock::now() >= *m_closeAt) {
            m_closeAt.reset();
            lock.unlock();
            const bool mayClose = session.CloseRequested();
            lock.lock();
            if (mayClose)
                m_closed = true;
        }
    }
}

void UnattendedRunView::ShowWorkPage(bool continuous)
{
    Emit(std::string("Тип запуска: ") + (continuous ? "непрерывный" : "однократный"));
}

void UnattendedRunView::ShowStopPanel(bool visible)
{
    if (!visible)
        Emit("Выполнение теста прерывается...");
}

void UnattendedRunView::ShowCloseButton(bool) {}

void UnattendedRunView::CloseWindow()
{
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_wake.notify_all();
}

void UnattendedRunView::CloseAfter(int ms)
{
    {
        std::lock_guard lock(m_mutex);
        m_closeAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    }
    m_wake.notify_all();
}

void UnattendedRunView::Post(std::function<void()> task)
{
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_all();
}

// Without a screen nothing paints: the task runs where it is asked.
void UnattendedRunView::RunOnWindowThread(const std::function<void()> &task)
{
    task();
}

void UnattendedRunView::ShowStatus(const std::string &text)
{
    bool escape = false;
    {
        std::lock_guard lock(m_mutex);
        m_statuses.Add(text);
        escape = !m_options.escapeOnStatus.empty() && text == m_options.escapeOnStatus;
        m_escapeWanted = m_escapeWanted || escape;
    }
    if (escape)
        m_wake.notify_all();
    Emit("Статус: " + text);
}

void UnattendedRunView::ShowActivity(ActivityPicture) {}

void UnattendedRunView::ShowPassCounter(int passes)
{
    if (passes == 0)
        return;
    Emit("Прогон: " + std::to_string(passes));
    if (m_options.escapeAfterPasses > 0 && passes >= m_options.escapeAfterPasses)
        PressEscape();
}

void UnattendedRunView::ShowProgress(std::optional<int> percent)
{
    const int value = percent.value_or(100);
    {
        std::lock_guard lock(m_mutex);
        if (value == m_lastPercent)
            return;
        m_lastPercent = percent ? value : -1;
    }
    Emit("Выполнено: " + std::to_string(value) + "%");
}

void UnattendedRunView::ShowMFunctionProgress(const MFunctionProgress &progress)
{
    std::string line = "Отработка M-функции: M" + std::to_string(progress.mFunction);
    if (progress.row < 0) {
        for (const std::string &algorithm : progress.algorithms)
            line += (algorithm == progress.algorithms.front() ? " — " : ", ") + algorithm;
    } else {
        line += ", алгоритм " + std::to_string(progress.row + 1) +
                (progress.picture == 1 ? ": ошибка" : ": выполнен");
    }
    Emit(line);
}

int UnattendedRunView::AskQuestion(QuestionKind kind, std::span<const std::uint8_t> record)
{
    const std::string text = UnitQuestionText(m_doc, kind, record);
    {
        std::lock_guard lock(m_mutex);
        m_questions.Add(text);
    }
    Emit(text + (m_options.answer == 1 ? " — да" : " — нет"));
    return m_options.answer;
}

// Stage 2 follows a decoded result; without a screen it comes on the
// thread that wrote the document, so the count can be read here.
void UnattendedRunView::ShowResults(ResultStage stage)
{
    if (stage != ResultStage::RecountErrors)
        return;
    m_errors += m_doc.TotalErrors();
    ++m_results;
}

UnattendedRunView::Tally UnattendedRunView::ResultsSoFar() const
{
    return {m_results.load(), m_errors.load()};
}

void UnattendedRunView::TestDecoded(int testIndex, bool hasErrors)
{
    std::lock_guard lock(m_mutex);
    m_decoded.Add({testIndex, hasErrors});
}

std::vector<std::string> UnattendedRunView::Statuses() const
{
    std::lock_guard lock(m_mutex);
    return m_statuses.Entries();
}

std::size_t UnattendedRunView::StatusesDropped() const
{
    std::lock_guard lock(m_mutex);
    return m_statuses.Dropped();
}

std::vector<std::string> UnattendedRunView::Questions() const
{
    std::lock_guard lock(m_mutex);
    return m_questions.Entries();
}

std::vector<std::pair<int, bool>> UnattendedRunView::DecodedTests() const
{
    std::lock_guard lock(m_mutex);
    return m_decoded.Entries();
}

void UnattendedRunView::Emit(const std::string &line)
{
    if (!m_sink)
        return;
    std::lock_guard lock(m_sinkMutex);
    m_sink(line);
}

} // namespace qv
