#include "args.h"

#include "infra/safefile.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace qortool {

std::optional<std::string> ParsedArgs::Value(const std::string &option) const
{
    const auto it = values.find(option);
    if (it == values.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<int> ParseInt(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<int> IntOption(const ParsedArgs &args, const std::string &option, int minimum)
{
    const auto text = args.Value(option);
    if (!text)
        return std::nullopt;
    const auto value = ParseInt(*text);
    return value && *value >= minimum ? *value : minimum - 1;
}

std::optional<ParsedArgs> ParseArgs(std::span<const std::string> args,
                                    const std::set<std::string> &valueOptions,
                                    const std::set<std::string> &flagOptions, std::string *problem)
{
    ParsedArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (valueOptions.count(arg) != 0) {
            if (i + 1 >= args.size()) {
                *problem = "после " + arg + " нужно значение";
                return std::nullopt;
            }
            parsed.values[arg] = args[++i];
        } else if (flagOptions.count(arg) != 0) {
            parsed.flags.insert(arg);
        } else if (arg.size() > 1 && arg.front() == '-') {
            *problem = "неизвестный параметр " + arg;
            return std::nullopt;
        } else {
            parsed.positional.push_back(arg);
        }
    }
    return parsed;
}

std::optional<std::string> ReadFileBytes(const std::string &path, std::string *problem)
{
    // A pipe or a device is refused, never waited on.
    return qv::ReadInputFile(path, qv::kTextFileLimit, problem);
}

} // namespace qortool
