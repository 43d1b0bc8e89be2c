#pragma once

// Argument parsing shared by the commands: positional arguments and the
// options each command accepts ("-o FILE", "--password TEXT", "--yes").

#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qortool {

struct ParsedArgs
{
    std::vector<std::string> positional;
    std::map<std::string, std::string> values; // options with a value
    std::set<std::string> flags;               // options without one

    std::optional<std::string> Value(const std::string &option) const;
    bool Has(const std::string &flag) const { return flags.count(flag) != 0; }
};

// Parses args; on a problem returns nullopt and the reason in *problem.
std::optional<ParsedArgs> ParseArgs(std::span<const std::string> args,
                                    const std::set<std::string> &valueOptions,
                                    const std::set<std::string> &flagOptions, std::string *problem);

// A decimal integer that is the whole text; nullopt otherwise.
std::optional<int> ParseInt(std::string_view text);
// An integer option: nullopt when absent; minimum - 1 when it is not a
// number or below minimum, so that callers test one range.
std::optional<int> IntOption(const ParsedArgs &args, const std::string &option, int minimum);

// The whole content of a regular file, or nullopt (and the reason in
// *problem, when given) when it cannot be read or is no regular file.
std::optional<std::string> ReadFileBytes(const std::string &path, std::string *problem = nullptr);

} // namespace qortool
