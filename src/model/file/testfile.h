#pragma once

// TTestFile: the test-file container. Reads a .QOR file into the document's
// records and writes them back, reads the contact file, reads and writes the
// comment file, and collects the load/save log the operator sees when an
// operation fails. One instance lives as long as the document.
//
// Access state (Flags, the check values, the padded read password) belongs
// to the file last loaded and is written back unchanged on save. Log is
// empty between operations.

#include "model/core/records.h"
#include "model/file/contactfile.h"
#include "model/file/crypto.h"
#include "model/file/testfileui.h"
#include "model/ini/inistore.h"
#include "model/io/filestore.h"
#include "model/test/sqor.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv {

class ByteSource;

class TTestFile
{
public:
    struct SInfo
    {
        SQor *Doc = nullptr;
        SCnt *Cnt = nullptr;
        STxt *Txt = nullptr;
    };

    // Kinds of IsFileOfKind.
    enum : int { KindTestFile = 1, KindContactFile = 2, KindCommentFile = 3 };

    // The file operations go through `files` (a seam for tests); null means
    // the real file system.
    explicit TTestFile(TestFileUi &ui, std::unique_ptr<FileStore> files = nullptr);
    ~TTestFile();
    TTestFile(const TTestFile &) = delete;
    TTestFile &operator=(const TTestFile &) = delete;

    void Attach(const SInfo &info) { m_info = info; }

    // Loads the attached SQor::FileName into the records; false when not loaded (the
    // caller then discards what was partly filled).
    bool Load();
    // Writes the attached SQor::FileName; with a SSaveParam the save choice dialog runs
    // first. False when nothing was written or the operator cancelled.
    bool Save(SSaveParam *param);

    bool ReadContacts();
    bool ReadComments();
    bool WriteComments();
    // For each non-empty comment slot i after ReadComments, the byte i + 1.
    const std::string &CommentMarks() const { return m_commentMarks; }

    // 1: starts with the test file magic and is longer than it; 2: the same
    // for the contact file; any other kind: the file does not exist, or its
    // text holds at least two of the three comment-file markers.
    static bool IsFileOfKind(int kind, const std::string &path);
    // The file's last-write time as a day count; on failure a message and
    // the current time.
    static double FileDateOf(const std::string &path);

    // Access state of the file last loaded (shown by the file-properties
    // window, kept by qortool).
    std::uint8_t Flags() const { return m_flags; }
    const Bytes32 &ReadCheck() const { return m_readCheck; }
    const Bytes32 &WriteCheck() const { return m_writeCheck; }
    const std::string &ReadPassword() const { return m_readPassword; }

    const std::string &Log() const { return m_log; }

    // Appends a log line: text, marker byte (kLogWarning or kLogError), CR LF.
    void AddLogLine(const std::string &text, char marker);

private:
    void LoadSteps();
    bool SaveSteps(SSaveParam *param);
    // The save dialog; backup: the operator asked for a backup of the file
    // being replaced (made once the save is sure to write).
    bool RunSaveChoice(SSaveParam &param, bool &backup);
    // Builds the file image of a save into m_image.
    void BuildImage(SSaveParam *param);
    std::string IniBlockText() const;
    // Fills the file-level records; returns the NTEST text as it stands
    // (the test blocks decide how many tests there are).
    std::string ReadGeneralSection();
    void WriteGeneralSection();
    // The contact file's content; a failure is logged naming the contact
    // file and thrown as already reported.
    ContactFileContent ReadContactContent(const std::string &path);
    void ReadCommentsSteps();
    bool WriteCommentsSteps();
    bool AskPassword(int mode, const Bytes32 &check);
    bool ConfirmWritable(const std::string &path);

    // Runs one operation; an exception becomes a log line (or an error box)
    // through the error mapping, and the result is false.
    bool Guarded(const std::function<bool()> &steps);
    void MapCurrentException();
    // Shows a non-empty log in the log window and clears it.
    void FlushLog(LogKind kind, const std::string &path);

    TestFileUi &m_ui;
    std::unique_ptr<FileStore> m_files;

    std::string m_log;
    std::uint8_t m_flags = 0;
    std::string m_readPassword; // padded, 32 bytes once set
    Bytes32 m_writeCheck{};
    Bytes32 m_readCheck{};
    SInfo m_info;
    CryptoProvider m_crypto;
    std::vector<char> m_digestBuffer;
    IniStore m_ini;
    std::string m_image; // kept between saves so that its memory is reused
    std::string m_commentMarks;
};

} // namespace qv
