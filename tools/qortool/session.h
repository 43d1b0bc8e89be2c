#pragma once

// A document opened the way the operator program opens it, with scripted
// answers in place of the dialogs: read and write passwords from the
// command line, questions answered "No" unless --yes is given, and every
// message box echoed on stderr.

#include "args.h"
#include "infra/mesbo.h"
#include "model/document/documentobserver.h"
#include "model/document/quorvik.h"
#include "model/file/scriptedfileui.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace qortool {

// The options a session understands.
inline const std::set<std::string> kSessionValueOptions{"--password", "--write-password"};
inline const std::set<std::string> kSessionFlagOptions{"--yes"};

class Session
{
public:
    explicit Session(const ParsedArgs &args);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    qv::TQuorvik &Document() { return *m_document; }
    // Loads the file into the document; on failure prints what the windows
    // showed on stderr and returns false.
    bool Load(const std::string &path);
    // Loads the file and makes test `testNumber` (from 1) current; on a
    // failure prints the refusal of command `name` and returns false.
    bool LoadWithTest(std::string_view name, const std::string &path, int testNumber);
    qv::ScriptedFileUi &Ui() { return m_ui; }
    // The file asked for its read password and none was given.
    bool PasswordMissing() const { return !m_readPasswordGiven && m_ui.PasswordRequests() > 0; }
    // The operator's text for that case.
    static constexpr const char *kPasswordMissing =
        "файл защищён паролем на чтение: укажите его через --password ПАРОЛЬ";

    // What the load/save log windows and the file-errors window showed, as
    // they show it.
    std::vector<std::string> ShownLines() const;
    // Prints them, one a line; the number of lines.
    std::size_t PrintShownLines(std::ostream &out) const;

private:
    std::unique_ptr<qv::TMesbo> m_previousMesbo;
    qv::ScriptedFileUi m_ui;
    bool m_readPasswordGiven = false;
    qv::NullDocumentObserver m_observer;
    std::unique_ptr<qv::TQuorvik> m_document;
};

} // namespace qortool
