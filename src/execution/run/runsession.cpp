#include "execution/run/runsession.h"

#include "infra/unitcodes.h"
#include "model/document/quorvik.h"
#include "model/functions/funcm.h"
#include "model/functions/funcv.h"
#include "model/test/stest.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <system_error>

namespace qv {

namespace {

constexpr std::string_view kProgramming = "Программирование...";
constexpr std::string_view kDamagedData = "Данные, полученные от блока диагностики, повреждены";
constexpr int kResetSettleMs = 50;

} // namespace

RunSession::RunSession(TQuorvik &doc, SComPort port, RunSessionConfig config)
    : m_doc(doc)
    , m_port(std::move(port))
    , m_config(std::move(config))
    , m_dosdata(doc, m_config.options, m_config.testDir)
{
    m_dosdata.SetObserver(this);
    m_dosdata.SetNotices(m_config.notices);
    // A run followed from a station fetches nothing from the station's own
    // unit: the blocks the bench's unit recorded stay with the bench.
    m_dosdata.SetPort(m_config.local ? m_port.get() : nullptr);
}

RunSession::~RunSession() = default;

std::vector<std::string> RunSession::VFunctionChoices() const
{
    std::vector<std::string> choices;
    const STest *test = m_doc.Test(m_doc.CurrentTest());
    if (!m_config.options.debug || test == nullptr || test->VFuncs.Empty() || m_probe == nullptr)
        return choices;
    choices.emplace_back("отсутствует");
    for (const SFuncV &v : test->VFuncs) {
        std::string choice = "v";
        choice += std::to_string(v.Number);
        choice += ": ";
        choice += v.Name;
        choices.push_back(std::move(choice));
    }
    return choices;
}

void RunSession::Ok(int vChoice)
{
    if (m_workPage || m_view == nullptr)
        return;
    m_view->ShowWorkPage(m_config.options.continuous);
    if (m_config.options.continuous)
        m_view->ShowPassCounter(0);
    m_view->ShowCloseButton(false);
    int vFunction = 0;
    if (vChoice > 0) {
        const STest *test = m_doc.Test(m_doc.CurrentTest());
        const SFuncV *v = test ? test->VFuncs.At(vChoice - 1) : nullptr;
        if (v != nullptr)
            vFunction = v->Number;
        if (vFunction == 0 || m_probe == nullptr || !m_probe->Prepare(vFunction)) {
            m_wantEndMessage = false;
            m_view->CloseWindow();
            return;
        }
    }
    m_workPage = true;
    if (!StartWork(vFunction))
        m_view->CloseWindow();
}

bool RunSession::RunCurrentControl()
{
    if (!m_config.currentControl)
        return true;
    ShowStatus("Контроль токов...");
    return m_port->CheckCurrents(1, 0) != 0;
}

bool RunSession::StartWork(int vFunction)
{
    if (m_config.local) {
        m_port->SetNotify(nullptr);
        if (!RunCurrentControl()) {
            m_mark = kRunFailedMark;
            return false;
        }
    }
    std::vector<std::uint8_t> buffer(kProgramBufferSize);
    std::size_t length = 0;
    m_dosdata.SetFileNameWindow(m_fileNames);
    if (!m_dosdata.Compile(buffer, length)) {
        // Reported by the compiler; no verdict is drawn from old counts.
        m_wantEndMessage = false;
        m_mark = kRunFailedMark;
        return false;
    }
    buffer.resize(length);
    if (vFunction != 0) {
        const STest *test = m_doc.Test(m_doc.CurrentTest());
        const int first = m_config.options.debug && test ? test->ActiveCycle : 0;
        const int last =
            m_config.options.debug && test ? test->ActiveCycle : (test ? test->Cycles - 1 : 0);
        if (!m_probe->SetCycleRange(first, last)) {
            m_wantEndMessage = false;
            return false;
        }
    }
    PuskConfig pusk = m_config.pusk;
    pusk.local = m_config.local;
    pusk.report = m_config.report;
    pusk.continuous = m_config.options.continuous;
    pusk.resultPerPass = m_config.options.resultPerPass;
    pusk.stopOnError = m_config.options.stopOnError;
    pusk.passLimit = m_config.passLimit;
    pusk.notices = m_config.notices;
    pusk.program = std::move(buffer);
    pusk.dataFiles = m_dosdata.DataFiles();
    m_thread = std::make_unique<TthPusk>(m_port, *this, std::move(pusk), m_remote);
    m_threadRunning = true;
    try {
        m_thread->Start([this] {
            m_threadRunning = false;
            m_view->Post([this] { ThreadFinished(); });
        });
        m_threadStarted = true;
    } catch (const std::system_error &error) {
        m_threadRunning = false;
        m_mark = kRunFailedMark;
        Tell(m_config.notices, {NoticeKind::Error, "Не удалось запустить поток выполнения теста",
                                std::string("Системная ошибка: \"") + error.what() + "\""});
        return false;
    }
    return true;
}

void RunSession::Escape(bool fromClick)
{
    if (fromClick && m_config.remoteServer)
        return;
    if (!m_workPage) {
        OperatorClose();
        return;
    }
    m_stopPanel = false;
    m_view->ShowStopPanel(false);
    if (m_thread && m_threadRunning && (!m_progressVisible || Status() == kProgramming))
        m_thread->Request(TthPusk::StopRequested);
    m_view->ShowCloseButton(true);
}

void RunSession::StoppedOnBench()
{
    // As after Esc here: the verdict is the interrupted one, and the
    // window offers "Закрыть".
    m_stopPanel = false;
    m_view->Post([this] {
        m_view->ShowStopPanel(false);
        m_view->ShowCloseButton(true);
    });
}

bool RunSession::CloseRequested()
{
    if (!m_workPage || !m_threadRunning)
        return true;
    if (m_stopPanel) {
        Escape();
        return false;
    }
    m_thread->Request(TthPusk::Closing);
    m_closeWhenFinished = true;
    return false;
}

void RunSession::OperatorClose()
{
    m_wantEndMessage = false;
    m_operatorClosing = true;
    if (m_threadRunning) {
        m_thread->Request(TthPusk::Closing);
        m_closeWhenFinished = true;
        return;
    }
    m_view->CloseWindow();
}

void RunSession::ThreadFinished()
{
    if (m_thread)
        m_thread->Join();
    m_port->Purge();
    m_port->SetNotify(nullptr);
    m_port->SetError(std::nullopt);
    if (m_closeWhenFinished)
        m_view->CloseWindow();
    else if (!m_operatorClosing && !ShowStatistics())
        m_view->CloseAfter(55);
}

bool RunSession::ShowStatistics()
{
    // A continuous run that failed in some pass keeps its window open on
    // the statistics, when the window has a page for them.
    if (!m_config.options.continuous || m_mark == kRunFailedMark)
        return false;
    const ErrorStatistics statistics = Statistics();
    return !statistics.Empty() && m_view->ShowStatistics(statistics);
}

void RunSession::Closed()
{
    if (m_thread)
        m_thread->Join();
    if (!m_config.local || !m_workPage)
        return;
    m_port->SetNotify(nullptr);
    {
        // The reset before the disarm is given its acknowledgement, or as
        // long as a reset may take: a unit that does not answer delays the
        // close no more, and what it says here is no run's failure.
        const PortVoiceScope background(*m_port, PortVoice::Background);
        if (m_port->Send(QORV_RESET, {}) == PortOk)
            m_port->WaitAck(QORV_RESET, kResetSettleMs);
    }
    if (m_config.currentControl) {
        const std::uint8_t disarm[] = {static_cast<std::uint8_t>(CurrentControlOp::Disarm)};
        m_port->Send(UKT, disarm);
    }
}

int RunSession::FailingPasses() const
{
    std::lock_guard lock(m_resultsMutex);
    return m_failingPasses;
}

std::vector<int> RunSession::TestsFailedInRun() const
{
    std::lock_guard lock(m_resultsMutex);
    return m_testsFailed;
}

std::string RunSession::Status() const
{
    std::lock_guard lock(m_statusMutex);
    return m_status;
}

void RunSession::ShowStatus(const std::string &text)
{
    {
        std::lock_guard lock(m_statusMutex);
        m_status = text;
    }
    if (m_view)
        m_view->ShowStatus(text);
}

void RunSession::ShowActivity(ActivityPicture picture)
{
    if (m_view)
        m_view->ShowActivity(picture);
}

void RunSession::ShowPortError(const std::string &text)
{
    // Shown now and kept: the run ends failed without showing it again.
    const PortVoiceScope loud(*m_port, PortVoice::Loud);
    m_port->SetError(text);
}

void RunSession::ShowMFunctionProgress(std::span<const std::uint8_t> record)
{
    if (record.size() != 5 || record[0] != 2) {
        ShowPortError(std::string(kDamagedData));
        return;
    }
    MFunctionProgress progress;
    progress.test = record[1];
    progress.mFunction = record[2];
    const int algorithm = record[3];
    const STest *test = m_doc.Test(progress.test - 1);
    const SFuncM *m = test ? test->MFuncs.ByNumber(progress.mFunction) : nullptr;
    const int mask = m ? m->Alg : 0;
    if (algorithm == 255) {
        for (int bit = 0; bit < kMemoryAlgorithms; ++bit) {
            if ((mask >> bit) & 1)
                progress.algorithms.emplace_back(MemoryAlgorithmName(bit));
        }
    } else {
        // Rows follow the set bits of the function's algorithm mask.
        int row = 0;
        for (int bit = 0; bit < algorithm && bit < kMemoryAlgorithms; ++bit)
            row += (mask >> bit) & 1;
        progress.row = row;
        progress.picture = record[4];
    }
    if (m_view)
        m_view->ShowMFunctionProgress(progress);
}

void RunSession::ShowProgress(int index, int total)
{
    if (total <= 0 || m_view == nullptr)
        return;
    if (index == 0 && total > 1)
        m_progressVisible = true;
    const int percent = static_cast<int>(std::ceil((index + 1) * 100.0 / total));
    if (index + 1 >= total) {
        m_progressVisible = false;
        m_view->ShowProgress(std::nullopt);
        return;
    }
    if (m_progressVisible)
        m_view->ShowProgress(std::min(percent, 100));
}

void RunSession::ShowResults(ResultStage stage)
{
    if (m_view)
        m_view->ShowResults(stage);
}

void RunSession::PassCompleted()
{
    const int passes = ++m_passes;
    if (m_view)
        m_view->ShowPassCounter(passes);
}

void RunSession::ShowThreadError(const std::string &text)
{
    Tell(m_config.notices, {NoticeKind::Error, text, "Пуск"});
}

int RunSession::AnswerQuestion(QuestionKind kind, std::span<const std::uint8_t> record)
{
    if (record.size() < 4 || QuestionKindOf(record) != kind) {
        m_port->SetError(kDamagedData);
        return 0xFF;
    }
    return m_view ? m_view->AskQuestion(kind, record) : 0;
}

void RunSession::ShowProgramming(int count, int total)
{
    if (count == 0)
        ShowStatus(std::string(kProgramming));
    ShowProgress(count, total);
}

void RunSession::CurrentAlarm()
{
    m_mark = kRunFailedMark;
    if (m_view)
        m_view->Post([this] {
            if (m_threadRunning) {
                m_thread->Request(TthPusk::Closing);
                m_closeWhenFinished = true;
            } else {
                m_view->CloseWindow();
            }
        });
}

bool RunSession::DecodeAnswer(int code, std::span<const std::uint8_t> answer)
{
    // The results go into the document on the window's thread; the data
    // blocks of F- and S-functions then travel on the run thread, so that a
    // long fetch keeps the window alive.
    // A pass cut short by Esc is no pass: it is not counted, and after a
    // complete pass of a continuous run the views keep that pass's values
    // (only where the unit stopped is taken from it).
    const bool cutShort = code == QORV_CANCEL;
    bool decoded = false;
    const auto decode = [&] {
        std::optional<KeptResults> kept;
        if (cutShort && m_config.options.continuous && DecodedPasses() > 0)
            kept = KeepResults();
        m_keepingResults = kept.has_value();
        decoded = m_dosdata.ProcessDosData(code, answer, false);
        m_keepingResults = false;
        if (kept) {
            RestoreResults(*kept);
            ShowResults(ResultStage::RepaintViews);
        }
        std::vector<int> failedTests;
        const int pass = CountPass(decoded && !cutShort, &failedTests, &m_passReads);
        if (pass > 0 && m_passListener)
            m_passListener(pass, failedTests, m_passReads);
    };
    {
        std::lock_guard lock(m_resultsMutex);
        m_passHasErrors = false;
        m_passTestsFailed.clear();
    }
    if (m_view)
        m_view->RunOnWindowThread(decode);
    else
        decode();
    {
        std::lock_guard lock(m_resultsMutex);
        if (m_passHasErrors && !cutShort)
            ++m_failingPasses;
    }
    if (decoded)
        decoded = m_dosdata.ProcessFuncFS(m_dosdata.FetchList());
    if (const auto mark = m_dosdata.ErrorMark(); mark && m_mark != kRunFailedMark)
        m_mark = *mark;
    return decoded;
}

int RunSession::CountPass(bool decoded, std::vector<int> *failedTests,
                          std::vector<diagnosis::WrongRead> *wrongReads)
{
    // On the thread that wrote the document, right after the pass.
    std::lock_guard lock(m_resultsMutex);
    if (!decoded)
        return 0;
    const int pass = ++m_decodedPasses;
    *failedTests = m_passTestsFailed;
    if (m_passTestsFailed.empty()) {
        m_statistics.CountCleanPass(pass);
        wrongReads->clear();
        return pass;
    }
    std::vector<CountedWords> failed;
    for (const int test : m_passTestsFailed) {
        if (const TestRunLists *lists = m_dosdata.ListsOf(test))
            failed.push_back(CountedWordsOf(*lists));
    }
    m_statistics.CountPass(pass, m_doc, failed);
    *wrongReads = m_statistics.PassReads();
    return pass;
}

ErrorStatistics RunSession::Statistics() const
{
    std::lock_guard lock(m_resultsMutex);
    return m_statistics;
}

int RunSession::DecodedPasses() const
{
    std::lock_guard lock(m_resultsMutex);
    return m_decodedPasses;
}

RunSession::KeptResults RunSession::KeepResults() const
{
    KeptResults kept;
    kept.errorCounts = m_doc.ErrorCounts();
    kept.totalErrors = m_doc.TotalErrors();
    kept.runFlags = m_doc.TestRunFlags();
    for (int index = 0; index < m_doc.Doc().NTest; ++index) {
        if (const STest *test = m_doc.Test(index))
            kept.words.push_back({index, test->IWords, test->OWords, test->GWords});
    }
    return kept;
}

void RunSession::RestoreResults(const KeptResults &kept)
{
    m_doc.SetErrorCounts(kept.errorCounts);
    m_doc.SetTotalErrors(kept.totalErrors);
    m_doc.SetTestRunFlags(kept.runFlags);
    for (const KeptResults::Words &words : kept.words) {
        if (STest *test = m_doc.Test(words.test)) {
            test->IWords = words.input;
            test->OWords = words.output;
            test->GWords = words.generator;
        }
    }
}

void RunSession::TestDecoded(int testIndex, bool hasErrors)
{
    // The tabs keep the colours of the last complete pass as well.
    if (m_keepingResults)
        return;
    if (hasErrors) {
        std::lock_guard lock(m_resultsMutex);
        m_passHasErrors = true;
        m_passTestsFailed.push_back(testIndex);
        if (std::find(m_testsFailed.begin(), m_testsFailed.end(), testIndex) == m_testsFailed.end())
            m_testsFailed.push_back(testIndex);
    }
    if (m_view)
        m_view->TestDecoded(testIndex, hasErrors);
}

void RunSession::ResultsShown(ResultStage stage)
{
    ShowResults(stage);
}

void RunSession::Receiving()
{
    ShowActivity(ActivityPicture::Receiving);
}

void RunSession::StatusText(const std::string &text)
{
    ShowStatus(text);
}

} // namespace qv
