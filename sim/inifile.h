#pragma once

// A small reader of the board file's INI text: "[Section]" headers,
// "Key=Value" lines, whole-line comments starting with ';' or '#'. Section
// and key names compare without regard to ASCII letter case; values keep
// their text with surrounding blanks removed.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::sim {

class IniFile
{
public:
    struct Line
    {
        std::string section;
        std::string key;
        std::string value;
        int number = 0; // line number in the file, for messages
    };

    // Parses the text; a line that is neither a header, a comment nor a
    // key=value pair makes it fail with the line number in *error.
    static std::optional<IniFile> Parse(std::string_view text, std::string *error);

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Every key of a section in file order.
    std::vector<Line> Section(std::string_view section) const;
    // Section names that appear in the file.
    std::vector<std::string> Sections() const;

private:
    std::vector<Line> m_lines;
};

bool SameName(std::string_view a, std::string_view b);
// The text in double quotes, for messages.
std::string Quoted(std::string_view text);
std::string_view Trim(std::string_view text);
// Splits at `separator`, trimming each piece; an empty text gives no pieces.
std::vector<std::string> SplitList(std::string_view text, char separator);

} // namespace qv::sim
