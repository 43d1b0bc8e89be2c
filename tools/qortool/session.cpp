#include "session.h"

#include "model/file/testfileui.h"

#include <iostream>

namespace qortool {

Session::Session(const ParsedArgs &args)
{
    auto mesbo = std::make_unique<qv::ScriptedMesbo>();
    if (!args.Has("--yes")) {
        mesbo->SetFallbackAnswer(qv::MbNo);
    }
    mesbo->SetEcho([](const qv::ScriptedMesbo::Shown &shown) { std::cerr << shown.text << "\n"; });
    m_previousMesbo = qv::InstallMesbo(std::move(mesbo));
    if (const auto password = args.Value("--password")) {
        m_ui.QueuePassword(*password, qv::PasswordRequest::ModeRead);
        m_readPasswordGiven = true;
    }
    if (const auto password = args.Value("--write-password")) {
        m_ui.QueuePassword(*password, qv::PasswordRequest::ModeWrite);
    }
    m_document = std::make_unique<qv::TQuorvik>(m_observer, m_ui);
}

Session::~Session()
{
    m_document.reset();
    qv::InstallMesbo(std::move(m_previousMesbo));
}

std::vector<std::string> Session::ShownLines() const
{
    std::vector<std::string> lines;
    for (const auto &text : m_ui.FileErrors()) {
        for (auto &line : qv::LogLinesForDisplay(text)) {
            lines.push_back(std::move(line));
        }
    }
    for (auto &line : m_ui.LogLines()) {
        lines.push_back(std::move(line));
    }
    return lines;
}

bool Session::Load(const std::string &path)
{
    if (m_document->LoadFile(path)) {
        return true;
    }
    PrintShownLines(std::cerr);
    if (PasswordMissing()) {
        std::cerr << kPasswordMissing << "\n";
    }
    return false;
}

std::size_t Session::PrintShownLines(std::ostream &out) const
{
    const auto lines = ShownLines();
    for (const auto &line : lines) {
        out << line << "\n";
    }
    return lines.size();
}

bool Session::LoadWithTest(std::string_view name, const std::string &path, int testNumber)
{
    if (!Load(path)) {
        std::cerr << "qortool " << name << ": файл не загружен\n";
        return false;
    }
    if (testNumber > m_document->Doc().NTest) {
        std::cerr << "qortool " << name << ": в файле нет теста " << testNumber
                  << " (тестов: " << m_document->Doc().NTest << ")\n";
        return false;
    }
    m_document->SelectTest(testNumber - 1);
    return true;
}

} // namespace qortool
