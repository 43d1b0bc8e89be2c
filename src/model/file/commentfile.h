#pragma once

// The text form of the comment file (.TXT beside the test file): one block
// per non-empty comment slot, a 75-character header line with the slot's
// title, the comment's lines and a footer of 75 asterisks. Files of the
// earlier (DOS) form are read too. Texts here are UTF-8, lines without
// their line breaks.

#include "model/core/records.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

inline constexpr std::string_view kCommentStars = "*************************"; // 25
inline constexpr std::string_view kFileCommentTitle = "  КОММЕНТАРИЙ К ФАЙЛУ  ";
inline constexpr std::string_view kTestCommentTitle = "КОММЕНТАРИЙ К ТЕСТУ №";

using CommentSlots = std::array<std::string, kCommentSlots>;

// The header line of slot 0..20 and the footer line.
std::string CommentHeader(int slot);
std::string CommentFooter();

// True when the text holds at least two of the three markers.
bool HasCommentMarkers(std::string_view text);

// Reading: the slots of a file in the current form and in the earlier form
// (lines already decoded). Comment lines are joined by CR LF.
CommentSlots ParseCommentLines(const std::vector<std::string> &lines);
CommentSlots ParseEarlierCommentLines(const std::vector<std::string> &lines);

// The file text for the slots (CR LF line breaks), or "" when all are empty.
std::string CommentFileText(const CommentSlots &slots);

// Text cut into lines at LF, a CR before the LF dropped; no line after a
// final LF.
std::vector<std::string> SplitLines(std::string_view text);

// For each non-empty slot i, the byte i + 1.
std::string CommentMarksOf(const CommentSlots &slots);

} // namespace qv

namespace qv {
// True when the file does not exist or its text holds at least two markers.
bool IsCommentFileText(const std::string &path);
} // namespace qv
