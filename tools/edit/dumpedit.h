#pragma once

// One edit of a test file through its text dump: the file is read into a
// QORDUMP text, the user's text editor edits it, and the edited text is
// packed back through the container. The packed file must load as the
// operator program loads it, without warnings and with every test the text
// holds, or the user must accept the warnings first; otherwise the old file
// stays byte for byte and the refusal carries the load log. The file is
// replaced in one step (never half-written).

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qvedit {

// What the edit asks of its user: passwords, the text editor's run, and
// whether a refused text goes back to the editor.
struct EditHooks
{
    // prompt -> the typed password; nullopt when the user declines.
    std::function<std::optional<std::string>(const std::string &prompt)> password;
    // Edits the file at `path`; false when the editor failed or was quit
    // with an error (the edit is dropped).
    std::function<bool(const std::string &path)> editText;
    // why and the log lines; true: edit the text again.
    std::function<bool(const std::string &why, const std::vector<std::string> &log)> retry;
    // The text loads, but with these warnings (tests lost among them);
    // true: write it all the same. Unset: the text is refused.
    std::function<bool(const std::vector<std::string> &warnings)> acceptWarnings;
    // Keep the old file as its ".bak" before replacing it.
    bool backup = false;
};

enum class EditOutcome {
    Saved,     // the file holds the edited text (warnings the user accepted in lines)
    Unchanged, // the text came back as it was
    Dropped,   // the editor failed or the user gave the edit up
    Refused,   // the file could not be read, or the text would not pack
};

struct EditResult
{
    EditOutcome outcome = EditOutcome::Dropped;
    int testCount = 0;              // tests in the file afterwards
    std::vector<std::string> lines; // why it was refused / the load's warnings
};

EditResult EditThroughDump(const std::string &path, const EditHooks &hooks);

} // namespace qvedit
