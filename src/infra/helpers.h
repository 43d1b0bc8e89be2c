#pragma once

// Number-to-text conversions and small text and file utilities shared by
// every subsystem. Texts are UTF-8 (see encoding.h); the digit texts are
// plain ASCII.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Converts every line in place from the DOS code page 866 (bytes as they come
// from the unit's DOS-side programs) to the system's in-memory text.
void DosToWin(std::vector<std::string> &lines);
// The reverse of DosToWin; throws EncodingError for a character that has no
// byte in code page 866.
void WinToDos(std::vector<std::string> &lines);

// The character's code in the Windows code page 1251 in which the system's
// texts travel, or -1 when the character has none.
int ASCIIcode(char32_t ch);

// Backup rule, used everywhere a file is about to be replaced: "X.QOR" is
// copied to "X.QOR.bak", replacing an older backup in one step (temporary
// file and rename); a link named "X.QOR.bak" is replaced, never written
// through. A file that does not exist needs no backup. Returns false (and the
// reason in *error) only when a backup was needed and could not be made (a
// folder of that name, a source that is not a regular file, a full disk).
std::filesystem::path BakFilePath(const std::filesystem::path &file);
bool CreateBakFile(const std::filesystem::path &file, std::string *error = nullptr);

// A text of two or more characters loses its last character (a trailing
// marker); a text of one character or none stays as it is. Characters, not
// bytes: a trailing Cyrillic letter is removed whole.
void DelLastSymb(std::string &text);

// base raised to exponent as a 64-bit integer, computed modulo 2^64 so that
// Math(2, n, 0) - 1 is the n-bit mask for every n from 0 to 64. A negative
// exponent gives 0. The flag is accepted for the callers' sake; 0 and 1 give
// the same result.
std::int64_t Math(std::int64_t base, int exponent, int flag);

// Digit texts: upper-case, no leading zeros, "0" for zero; a negative value is
// shown as its 64-bit two's complement.
std::string IntToHexA(std::int64_t value);
std::string IntToOct(std::int64_t value);

// Values of digit texts (either letter case for hex). nullopt for an empty
// text, a character that is not a digit of the base, or a value beyond 64 bits.
std::optional<std::uint64_t> HexToInt(std::string_view text);
std::optional<std::uint64_t> OctToInt(std::string_view text);

// The low `width` bits of value as binary digits, exactly `width` long
// (a width above 64 pads with leading zeros; a width of 0 or less is "").
std::string IntToBin(std::uint64_t value, int width);

// The value 0..15 of a one-character hexadecimal text, -1 for anything else.
int WD_HexToInt(std::string_view digit);
// The digit of a value 0..15 ('0'..'9', 'A'..'F'); an empty text otherwise.
std::string WD_IntToHex(int value);

// "name=value" lines: the parts before and after the first '='.
// A line without '=' has the whole line as its name and an empty value.
std::string GetName(std::string_view line);
std::string GetValue(std::string_view line);

// True for a non-empty text of decimal digits with an optional leading '-'.
bool IsDec(std::string_view text);

// The path with its extension replaced (ext with or without the dot).
std::filesystem::path SetExt(const std::filesystem::path &path, std::string_view ext);

// Case-insensitive comparison for ASCII and Cyrillic letters.
std::string ToUpperText(std::string_view text);
bool SameTextNoCase(std::string_view a, std::string_view b);

} // namespace qv
