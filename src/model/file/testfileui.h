#pragma once

// The operator-facing pieces of loading and saving a test file: the wait
// notice, the load/save log window, the file-errors window, the password
// request and the save choice dialog. The window layer implements them; the
// command-line tool and the tests implement them with scripted answers.

#include "model/core/logmarkers.h"
#include "model/core/records.h"
#include "model/file/crypto.h"

#include <functional>
#include <string>
#include <vector>

namespace qv {

enum class LogKind { Load, Save };

struct PasswordRequest
{
    enum : int { ModeRead = 1, ModeWrite = 2 };

    int MaxLength = 32;
    int Mode = ModeRead;
    std::string File;     // path of the file (its name is shown)
    std::string Password; // receives the accepted password in padded form
    int CheckLength = 32;
    Bytes32 Check{}; // the stored check value to compare with
    // Pads a typed password into `padded` and computes its check value;
    // false when the crypto provider failed.
    std::function<bool(const std::string &typed, std::string &padded, Bytes32 &check)> Transform;
};

struct SaveChoiceRequest
{
    std::string Folder;          // folder of the current file
    std::string FileName;        // current file name, no folder
    int NTest = 0;               // number of tests
    int ActiveTest = 0;          // 0-based; -1 = all tests
    SSaveParam *Param = nullptr; // completed by the dialog: FileName, Kinds; Test and Cycle
                                 // become -1 unless "only the active test/cycle" is ticked
    bool Backup = false;         // in: the setting; out: the operator's choice
};

class TestFileUi
{
public:
    virtual ~TestFileUi() = default;

    // "Выполняется чтение файла. Ждите..." and the like, until HideNotice.
    virtual void ShowNotice(const std::string &text) = 0;
    virtual void HideNotice() = 0;
    // The load/save log window: `log` holds lines of text + marker byte + CR LF.
    virtual void ShowLog(LogKind kind, const std::string &path, const std::string &log) = 0;
    // The file-errors window with its heading and the editor's log text.
    virtual void ShowFileErrors(const std::string &heading, const std::string &log) = 0;
    // True when the operator gave the password whose check value matches;
    // request.Password then holds it padded. False when cancelled.
    virtual bool AskPassword(PasswordRequest &request) = 0;
    // False when the operator cancelled the save.
    virtual bool AskSaveChoice(SaveChoiceRequest &request) = 0;
};

struct LogLine
{
    std::string text; // without its marker byte
    bool error = false;
};
// The lines of a log as the log window shows them: every non-empty line,
// marker byte removed, with whether it was an error line.
std::vector<LogLine> LogLinesWithKind(const std::string &log);
// The same lines, text only.
std::vector<std::string> LogLinesForDisplay(const std::string &log);
// The heading the log window shows above the lines.
std::string LogHeading(LogKind kind, const std::string &log);

} // namespace qv
