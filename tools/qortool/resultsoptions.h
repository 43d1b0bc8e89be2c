#pragma once

// The results database of a command: --db URL (else the embedded default),
// and the recorder of qortool run that tells of an outage once on stderr.

#include "args.h"
#include "commands.h"
#include "results/databaseurl.h"
#include "results/recorder.h"

#include <memory>
#include <optional>

namespace qortool {

// --db, or the default SQLite file; nullopt after the usage error.
std::optional<qv::results::DatabaseUrl> DatabaseOption(const Command &command,
                                                       const ParsedArgs &parsed);

// The recorder of a run: writes into the database, or into the spool
// (--spool DIR, else the program's data folder) while it is out, and says
// so once on stderr.
std::unique_ptr<qv::results::ResultsRecorder>
MakeRecorder(const Command &command, const qv::results::DatabaseUrl &url, const ParsedArgs &parsed);

} // namespace qortool
