#pragma once

// Date-and-time texts of the file dates (FCREATE, FMODIFIED) and of the
// qortool dumps. Moments are day counts (infra/daycount.h).

#include <optional>
#include <string>
#include <string_view>

namespace qv {

// "dd.MM.yyyy hh:mm:ss" (24-hour clock), the form every save writes.
std::string DateTimeText(double dayCount);
// The common Russian-locale forms: "d.M.yyyy" or "d.M.yy" (also with '/' or
// '-' between the parts), "d MMMM yyyy" with a genitive month name and an
// optional "г.", and ISO "yyyy-MM-dd"; each optionally followed (after a
// space, or 'T' for ISO) by "h:mm", "h:mm:ss" or "h:mm:ss.zzz". Two-digit
// years below 50 are 20xx, others 19xx. nullopt for anything else.
std::optional<double> ParseDateTimeText(std::string_view text);
// The value of a stored date text: unreadable text reads as 0.
double DateTimeValue(std::string_view text);

// "yyyy-MM-ddThh:mm:ss" for the dumps.
std::string IsoDateTimeText(double dayCount);

} // namespace qv
