#include "model/file/commentfile.h"

#include "infra/helpers.h"

namespace qv {
namespace {

std::string_view TrimRight(std::string_view text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsBlank(std::string_view text)
{
    return text.find_first_not_of(" \t\r") == std::string_view::npos;
}

constexpr int kNotATitle = -2;
constexpr int kNoSlot = -1;

// The slot a title line selects: 0 for the file title, the number after the
// test marker (up to the next space) for a test title, kNoSlot for a title
// whose number is unreadable or out of range, kNotATitle for other lines.
int TitleSlot(std::string_view line)
{
    if (line.find(kFileCommentTitle) != std::string_view::npos) {
        return 0;
    }
    const std::size_t at = line.find(kTestCommentTitle);
    if (at == std::string_view::npos) {
        return kNotATitle;
    }
    std::string_view number = line.substr(at + kTestCommentTitle.size());
    number = number.substr(0, number.find(' '));
    if (!IsDec(number) || number.size() > 3) {
        return kNoSlot;
    }
    const int n = std::stoi(std::string(number));
    return n >= 1 && n <= kMaxTests ? n : kNoSlot;
}

void AppendLine(std::string &text, std::string_view line)
{
    if (!text.empty()) {
        text += "\r\n";
    }
    text += line;
}

} // namespace

std::string CommentHeader(int slot)
{
    std::string title(kFileCommentTitle);
    if (slot > 0) {
        title = std::string(kTestCommentTitle) + (slot < 10 ? "0" : "") + std::to_string(slot);
    }
    return std::string(kCommentStars) + ' ' + title + ' ' + std::string(kCommentStars);
}

std::string CommentFooter()
{
    return std::string(kCommentStars) + std::string(kCommentStars) + std::string(kCommentStars);
}

bool HasCommentMarkers(std::string_view text)
{
    int found = 0;
    for (const std::string_view marker : {kCommentStars, kFileCommentTitle, kTestCommentTitle}) {
        found += text.find(marker) != std::string_view::npos ? 1 : 0;
    }
    return found >= 2;
}

CommentSlots ParseCommentLines(const std::vector<std::string> &lines)
{
    CommentSlots slots;
    const std::string footer = CommentFooter();
    int selected = kNoSlot;
    std::string collected;
    for (const std::string &line : lines) {
        if (IsBlank(line)) {
            continue;
        }
        if (const int title = TitleSlot(line); title != kNotATitle) {
            selected = title;
            collected.clear();
        } else if (TrimRight(line) == footer) {
            if (selected != kNoSlot) {
                slots[static_cast<std::size_t>(selected)] = collected;
            }
            selected = kNoSlot;
            collected.clear();
        } else if (selected != kNoSlot) {
            AppendLine(collected, line);
        }
    }
    return slots;
}

CommentSlots ParseEarlierCommentLines(const std::vector<std::string> &lines)
{
    // Blocks are the runs of lines between separator lines (lines starting
    // with '|'); the separators themselves carry no comment text.
    std::vector<std::string> blocks(1);
    for (const std::string &line : lines) {
        if (IsBlank(line) || line.starts_with(';')) {
            continue;
        }
        if (line.starts_with('|')) {
            blocks.emplace_back();
            continue;
        }
        AppendLine(blocks.back(), line);
    }
    CommentSlots slots;
    std::size_t slot = 0;
    for (const std::string &block : blocks) {
        const bool placeholder =
            ToUpperText(block).find(ToUpperText("комментарии отсутствуют")) != std::string::npos;
        if (block.empty() || placeholder) {
            continue;
        }
        if (slot == slots.size()) {
            break;
        }
        slots[slot++] = block;
    }
    return slots;
}

std::string CommentFileText(const CommentSlots &slots)
{
    std::string text;
    const auto addLine = [&text](std::string_view line) {
        text += line;
        text += "\r\n\r\n";
    };
    for (std::size_t slot = 0; slot < slots.size(); ++slot) {
        if (slots[slot].empty()) {
            continue;
        }
        addLine(CommentHeader(static_cast<int>(slot)));
        // The body keeps its own line breaks, written as CR LF.
        std::string body;
        for (std::size_t i = 0; i < slots[slot].size(); ++i) {
            const char ch = slots[slot][i];
            if (ch == '\r' && i + 1 < slots[slot].size() && slots[slot][i + 1] == '\n') {
                continue;
            }
            body += ch == '\n' || ch == '\r' ? std::string("\r\n") : std::string(1, ch);
        }
        addLine(body);
        addLine(CommentFooter());
    }
    return text;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string CommentMarksOf(const CommentSlots &slots)
{
    std::string marks;
    for (std::size_t slot = 0; slot < slots.size(); ++slot) {
        if (!slots[slot].empty()) {
            marks.push_back(static_cast<char>(slot + 1));
        }
    }
    return marks;
}

} // namespace qv
