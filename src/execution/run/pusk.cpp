#include "execution/run/pusk.h"

#include "infra/encoding.h"
#include "infra/safefile.h"
#include "infra/unitcodes.h"

#include <limits>
#include <optional>

namespace qv {

namespace {

constexpr std::string_view kRunning = "выполнение теста";
constexpr std::string_view kProcessing = "обработка результатов";

std::string Concat(std::string_view a, std::string_view b, std::string_view c = {})
{
    std::string text;
    text.reserve(a.size() + b.size() + c.size());
    text += a;
    text += b;
    text += c;
    return text;
}

// The whole file, or the message that says why it could not be read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path &path,
                                                       const std::string &name, std::string &error)
{
    // A pipe or a device put in the file's place is refused, not waited on.
    auto file = InputFile::Open(path, std::numeric_limits<std::uint64_t>::max());
    if (!file) {
        const std::string kind = NonRegularKind(path);
        error = kind.empty() ? Concat("Не удалось получить доступ к файлу \"", name, "\"")
                             : NotRegularFileText(name, kind);
        return std::nullopt;
    }
    const auto bytes = file->ReadAll();
    if (!bytes) {
        error = Concat("Ошибка чтения данных из файла \"", name, "\"");
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(bytes->begin(), bytes->end());
}

} // namespace

TthPusk::TthPusk(SComPort port, PuskHost &host, PuskConfig config, RemoteRunLink *remote)
    : m_port(std::move(port))
    , m_host(host)
    , m_config(std::move(config))
    , m_remote(remote)
{
    if (m_remote == nullptr) {
        m_config.local = true;
        m_config.report = false;
    }
}

TthPusk::~TthPusk()
{
    if (m_thread.joinable()) {
        Request(Closing);
        m_thread.join();
    }
}

void TthPusk::Start(std::function<void()> finished)
{
    m_running = true;
    // A followed run hears the bench from here, not from when its thread
    // gets going: a bench that ends at once would otherwise end while
    // nobody listens, its end would be dropped as that of a run nobody
    // follows, and this run would wait for it for ever.
    if (!m_config.local)
        ListenToBench();
    try {
        m_thread = std::thread([this, finished = std::move(finished)] {
            // Nothing may escape a worker thread: a failure ends the run
            // with its text.
            try {
                Execute();
            } catch (const std::exception &error) {
                m_host.SetErrorMark(kRunFailedMark);
                m_host.ShowThreadError(std::string("Сбой при выполнении теста: ") + error.what());
            }
            // Whatever the bench still sends is answered by the link.
            if (!m_config.local)
                m_remote->SetHandler({});
            m_running = false;
            if (finished)
                finished();
        });
    } catch (...) {
        if (!m_config.local)
            m_remote->SetHandler({});
        m_running = false;
        throw;
    }
}

void TthPusk::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void TthPusk::Request(State state)
{
    SetState(state);
}

TthPusk::State TthPusk::StateNow()
{
    std::lock_guard lock(m_lock);
    return m_state;
}

// The thread's own return to "waiting" wakes nobody: a signal here would
// end the next wait at once and send a second QORV_RETRY for one pass.
void TthPusk::ResetState()
{
    std::lock_guard lock(m_lock);
    m_state = Waiting;
}

void TthPusk::SetState(State state)
{
    {
        std::lock_guard lock(m_lock);
        m_state = state;
    }
    m_event.Set();
}

void TthPusk::ShowRunStatus(const std::string &text, bool toServer)
{
    m_host.ShowStatus(text);
    if (m_config.report && toServer && m_remote)
        m_remote->SendStatusText(text);
}

void TthPusk::Execute()
{
    if (m_config.local) {
        m_port->SetVoice(PortVoice::Quiet);
        m_port->Purge();
        TellPortError();
    }
    if (m_config.report)
        m_remote->SetBusy(true);

    // Data files go to the unit that runs the test: a bench that performs a
    // followed run has its own (they came with the test file).
    if (!m_config.local || SendFiles()) {
        m_host.ShowActivity(ActivityPicture::Running);
        ShowRunStatus(std::string(kRunning), false);
        if (m_config.local)
            RunLocal();
        else
            RunRemote();

        if (!m_text.empty()) {
            m_port->ClearError(m_text);
            Tell(m_config.notices, PortNotice(m_text));
            m_host.SetErrorMark(kRunFailedMark);
        } else if (m_config.local && !(m_text = m_port->GetError()).empty()) {
            // What the port holds came from this run (it was purged at the
            // start); a text already told is not told again.
            TellPortError();
            m_host.SetErrorMark(kRunFailedMark);
        }
    }
    if (m_config.report) {
        // A stop is no error of the run: the server learns it from the
        // status before the end, and ends its run as interrupted too.
        if (!m_host.StopPanelVisible())
            m_remote->SendStatusText(std::string(kRunStoppedStatus));
        m_remote->SendEndReport(m_text);
        m_remote->SetBusy(false);
    }
}

// A file that cannot be read or sent fails the run: its message is shown
// and the run window's mark says so, so that no verdict is drawn from the
// counts of an earlier run.
bool TthPusk::SendFiles()
{
    for (const std::filesystem::path &path : m_config.dataFiles) {
        const std::string name = path.filename().string();
        ShowRunStatus(Concat("Отправка файла \"", name, "\"..."));
        std::string error;
        const auto bytes = ReadWholeFile(path, name, error);
        if (!bytes) {
            m_host.ShowThreadError(error);
            m_host.SetErrorMark(kRunFailedMark);
            m_text = error; // for the watching server's end report only
            return false;
        }
        const int code = m_port->SendFile(*bytes, name, [this, &name](int total, int index) {
            if (index == 0)
                ShowRunStatus(Concat("Отправка файла \"", name, "\""));
            m_host.ShowProgress(index, total);
        });
        if (code != PortOk) {
            m_text = m_port->GetError(); // for the watching server's end report only
            if (m_config.local)
                TellPortError();
            m_host.SetErrorMark(kRunFailedMark);
            return false;
        }
    }
    return true;
}

// A bench that reports goes straight on after its link check: the remote
// link itself keeps two messages apart when the server said nothing in
// between, and a server that does not follow yet keeps the reports for the
// run it starts next.
void TthPusk::RunLocal()
{
    // The callback goes in before the program: a quick unit answers before
    // Send returns, and an answer with no callback would wait in the queue.
    m_port->SetNotify([this](int code, std::uint32_t value, std::span<const std::uint8_t> data) {
        OnNotify(code, value, data);
    });
    // The callback points at this thread's objects, which go with the run
    // session: it is removed before the thread ends, from this thread,
    // which waits for one still running (a question to the operator). The
    // window's thread stays free meanwhile, so that callback can finish.
    struct RemoveNotify
    {
        IComPort &port;
        ~RemoveNotify() { port.SetNotify(nullptr); }
    } removeNotify{*m_port};
    m_discardedMark = m_port->DiscardedBytes();
    if (m_port->Send(QORV_DATA, m_config.program) != PortOk)
        return;
    if (m_config.continuous && m_config.resultPerPass)
        RunContinuousPerPass();
    else
        RunToOneResult();
}

void TthPusk::RunContinuousPerPass()
{
    int passes = 0;
    for (;;) {
        if (WaitEvent() != WaitEnd::Signalled)
            return;
        const State state = StateNow();
        if (state == AnswerArrived) {
            m_host.PassCompleted();
            DecodeAnswer();
            ResetState();
            // A pass that left an error ends the run with it; otherwise
            // nothing of this pass may reach the next one.
            if (!m_port->GetError().empty())
                return;
            m_port->Purge();
            if (m_config.passLimit > 0 && ++passes >= m_config.passLimit)
                return;
        } else if (state == StopRequested) {
            Cancel();
            return;
        } else if (state == Closing) {
            return;
        }
        if ((m_host.ErrorMark() != 0 && m_config.stopOnError) || !m_host.StopPanelVisible())
            return;
        m_discardedMark = m_port->DiscardedBytes();
        if (m_port->SendCode(QORV_RETRY) != PortOk)
            return;
        m_host.ShowActivity(ActivityPicture::Running);
        ShowRunStatus(std::string(kRunning), false);
    }
}

// A single run, or a continuous one that reports only when stopped: one
// answer ends it, and a stop asks the unit for what it reached.
void TthPusk::RunToOneResult()
{
    if (WaitEvent() != WaitEnd::Signalled)
        return;
    const State state = StateNow();
    if (state == StopRequested)
        Cancel();
    else if (state == AnswerArrived)
        DecodeAnswer();
}

// The event has no time-out of its own (a test may run for hours), but a
// link that broke, or a unit that stopped, would otherwise leave the run
// hanging: the wait looks at the link every slice and, after a silence,
// asks the unit whether it is still there.
TthPusk::WaitEnd TthPusk::WaitEvent(std::optional<std::chrono::steady_clock::time_point> until)
{
    using Clock = std::chrono::steady_clock;
    const auto slice = std::chrono::milliseconds(std::max(m_config.linkCheckMs, 1));
    const auto aliveCheck = std::chrono::milliseconds(std::max(m_config.aliveCheckMs, 1));
    auto askAt = Clock::now() + aliveCheck;
    auto heard = m_heard.load();
    for (;;) {
        auto wait = slice;
        if (until)
            wait = std::min(wait, std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::max(*until - Clock::now(), Clock::duration::zero())));
        if (m_event.WaitFor(wait))
            return WaitEnd::Signalled;
        if (!m_config.local) {
            if (!m_remote->Connected()) {
                m_text = "Связь с удаленным стендом прервана";
                return WaitEnd::LinkLost;
            }
            if (until && Clock::now() >= *until)
                return WaitEnd::TimedOut;
            continue;
        }
        if (m_port->NeedsReconnect(0) != 0) {
            if (m_port->GetError().empty())
                m_text = "Связь с блоком диагностики прервана";
            return WaitEnd::LinkLost;
        }
        if (until) {
            if (Clock::now() >= *until)
                return WaitEnd::TimedOut;
            continue;
        }
        if (m_heard.load() != heard) {
            heard = m_heard.load();
            askAt = Clock::now() + aliveCheck;
        } else if (Clock::now() >= askAt) {
            if (!UnitAnswers()) {
                m_text = "Блок диагностики перестал отвечать во время выполнения теста";
                return WaitEnd::UnitSilent;
            }
            // The unit is there but silent, and the link threw bytes away
            // meanwhile: what it sent (a pass result, a question) was
            // damaged on the way and never comes again, so waiting on
            // would hang the run.
            if (m_port->DiscardedBytes() != m_discardedMark) {
                m_text = "Данные от блока диагностики повреждены при передаче; "
                         "результат теста потерян";
                return WaitEnd::UnitSilent;
            }
            askAt = Clock::now() + aliveCheck;
        }
    }
}

bool TthPusk::UnitAnswers()
{
    using Clock = std::chrono::steady_clock;
    // A side exchange: its outcome is ours alone, not the run's error.
    const PortVoiceScope background(*m_port, PortVoice::Background);
    const auto heard = m_heard.load();
    if (m_port->Send(BUILD_INFO, {}) != PortOk)
        return false;
    // Waited for in slices, so that Esc or a closing window is heard at once.
    const auto slice = std::chrono::milliseconds(std::max(m_config.linkCheckMs, 1));
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(std::max(m_config.answerTimeoutMs, 1));
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
        if (StateNow() != Waiting)
            return true; // the caller's next wait sees what happened
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        const int code =
            m_port->WaitData(BUILD_INFO, static_cast<int>(std::min(slice, left).count()) + 1);
        if (PortSucceeded(code))
            return true;
        if (code != PortTimeout)
            break;
    }
    // A notification meanwhile, or one still being handled (a question
    // waiting for the operator holds the port's reader), is a sign of life.
    return m_heard.load() != heard || m_inCallback.load() > 0;
}

void TthPusk::Cancel()
{
    ResetState();
    if (m_port->Send(QORV_CANCEL, {}) != PortOk)
        return;
    // The unit answers a cancel with what it reached; one that does not
    // answer must not keep the run window open longer than the cancel wait.
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(std::max(m_config.cancelWaitMs, 1));
    while (StateNow() == Waiting) {
        const WaitEnd end = WaitEvent(deadline);
        if (end == WaitEnd::TimedOut)
            m_text = "Блок диагностики не ответил на команду остановки теста";
        if (end != WaitEnd::Signalled)
            return;
    }
    if (StateNow() == AnswerArrived)
        DecodeAnswer();
}

void TthPusk::DecodeAnswer()
{
    m_host.ShowActivity(ActivityPicture::Idle);
    ShowRunStatus(std::string(kProcessing));
    int code = 0;
    std::vector<std::uint8_t> answer;
    {
        std::lock_guard lock(m_lock);
        if (m_state != AnswerArrived)
            return;
        code = m_answerCode;
        answer = m_answer;
    }
    if (code == QORV_DATA || code == QORV_CANCEL) {
        if (!m_host.DecodeAnswer(code, answer))
            m_host.SetErrorMark(kRunFailedMark);
    } else if (code == INTERNAL) {
        m_host.SetErrorMark(kRunFailedMark);
        if (m_port->GetError().empty())
            m_text = answer.empty()
                         ? std::string("Программа блока диагностики завершилась с ошибкой")
                         : Cp1251ToUtf8(std::string_view(
                               reinterpret_cast<const char *>(answer.data()), answer.size()));
    }
    if (m_config.report && m_remote)
        m_remote->SendResult(code, answer);
    std::lock_guard lock(m_lock);
    if (m_state == AnswerArrived)
        m_state = Waiting;
}

void TthPusk::Answer(int code, std::span<const std::uint8_t> bytes)
{
    m_port->Send(code, bytes);
}

void TthPusk::OnNotify(int code, std::uint32_t value, std::span<const std::uint8_t> data)
{
    ++m_heard;
    ++m_inCallback;
    struct Leave
    {
        std::atomic<int> &count;
        ~Leave() { --count; }
    } leave{m_inCallback};
    // Questions are answered under the lock so that a stop request waits
    // until the unit has its answer; once the state is 1 the unit is not
    // heard any more.
    std::unique_lock lock(m_lock);
    if (m_state == StopRequested)
        return;
    switch (code) {
    case QORV_ASK:
        lock.unlock();
        OnQuestion(data);
        return;
    case QORV_INFO: {
        lock.unlock();
        m_host.ShowMFunctionProgress(data);
        const std::uint8_t reply[] = {2};
        Answer(QORV_INFO, reply);
        return;
    }
    case QORV_PROGRE: {
        lock.unlock();
        const int count = data.size() > 3 ? data[2] * 256 + data[3] : 0;
        const int total = data.size() > 5 ? data[4] * 256 + data[5] : 0;
        m_host.ShowProgramming(count, total);
        const std::string_view reply = m_host.StopPanelVisible() ? "OK" : "CANCEL";
        Answer(QORV_PROGRE,
               std::span(reinterpret_cast<const std::uint8_t *>(reply.data()), reply.size()));
        return;
    }
    case UKT:
        if (value == kCurrentAlarm) {
            lock.unlock();
            m_host.CurrentAlarm();
            return;
        }
        break;
    default:
        break;
    }
    m_answerCode = code;
    m_answer.assign(data.begin(), data.end());
    m_state = AnswerArrived;
    lock.unlock();
    m_event.Set();
}

void TthPusk::OnQuestion(std::span<const std::uint8_t> data)
{
    const std::optional<QuestionKind> kind = QuestionKindOf(data);
    if (kind == QuestionKind::Nothing)
        return;
    if (kind == QuestionKind::TestStarted) {
        const int test = data.size() > 1 ? data[1] : 0;
        ShowRunStatus(Concat(kRunning, " №", std::to_string(test)));
        const std::uint8_t reply[] = {1, 1};
        Answer(QORV_ASK, reply);
        return;
    }
    int result = 0xFF;
    if (kind && AsksAboutFunction(*kind)) {
        result = m_host.AnswerQuestion(*kind, data);
    } else {
        m_port->SetError("TthPusk::SinFunc - type");
    }
    const std::uint8_t reply[] = {1, static_cast<std::uint8_t>(result)};
    Answer(QORV_ASK, reply);
}

// The bench's messages wait in m_remoteMessages from the start (a quick
// bench may have sent them all by now); the event stays set until this
// thread looks.
void TthPusk::ListenToBench()
{
    m_remote->SetHandler([this](const RemoteRunLink::Message &message) {
        {
            std::lock_guard lock(m_lock);
            m_remoteMessages.push_back(message);
        }
        m_event.Set();
    });
}

// The bench performs the run and ends it; a stop asked for here goes to the
// bench, and the run goes on until the bench's end brings its last result,
// so that both sides end with the same verdict and the same counts.
void TthPusk::RunRemote()
{
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> stopDeadline;
    Clock::time_point stopSent;
    bool finished = false;
    while (!finished) {
        const WaitEnd end = WaitEvent(stopDeadline);
        // A bench that keeps reporting does not hold the run past the wait.
        if (end == WaitEnd::TimedOut || (stopDeadline && Clock::now() >= *stopDeadline)) {
            m_text = "Удаленный стенд не ответил на команду остановки теста";
            break;
        }
        if (end != WaitEnd::Signalled)
            break;
        std::vector<RemoteRunLink::Message> messages;
        bool stopAsked = false;
        {
            std::lock_guard lock(m_lock);
            if (m_state == Closing)
                break;
            if (m_state == StopRequested) {
                m_state = Waiting;
                stopAsked = !stopDeadline.has_value();
            }
            messages.swap(m_remoteMessages);
        }
        if (stopAsked) {
            m_remote->StopBench();
            stopSent = Clock::now();
            stopDeadline =
                stopSent + std::chrono::milliseconds(std::max(m_config.benchStopWaitMs, 1));
        } else if (stopDeadline && !messages.empty() &&
                   Clock::now() - stopSent >= std::chrono::seconds(1)) {
            // The bench still runs: the press may have come before its
            // stop panel showed. Pressed again, now and then.
            m_remote->StopBench();
            stopSent = Clock::now();
        }
        for (const RemoteRunLink::Message &message : messages) {
            if (message.kind == RemoteRunLink::Message::Kind::Result) {
                {
                    std::lock_guard lock(m_lock);
                    m_answerCode = message.code;
                    m_answer = message.data;
                    m_state = AnswerArrived;
                }
                DecodeAnswer();
                m_remote->Acknowledge();
                continue;
            }
            // The answer lets the bench send its next report; the window
            // has shown this one by the time the host returns.
            finished = OnRemoteMessage(message);
            m_remote->Acknowledge();
            if (finished)
                break;
        }
    }
}

bool TthPusk::OnRemoteMessage(const RemoteRunLink::Message &message)
{
    if (message.kind == RemoteRunLink::Message::Kind::Status) {
        m_host.ShowStatus(message.text);
        if (message.text == kRunStoppedStatus)
            m_host.StoppedOnBench();
        if (message.text == kProcessing && m_config.continuous && m_config.resultPerPass)
            m_host.PassCompleted();
        return false;
    }
    if (!message.text.empty())
        m_text = message.text;
    else
        TellPortError();
    return true;
}

void TthPusk::TellPortError()
{
    TellPendingError(*m_port, m_config.notices);
}

} // namespace qv
