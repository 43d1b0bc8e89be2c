#pragma once

// Moments as the files and windows keep them: an 8-byte floating day count
// since 30 December 1899 00:00. The integer part counts days (negative before
// the epoch), the fraction is the time of day; for negative counts the
// fraction is still the time of day, taken as its absolute value.

#include <string>

namespace qv {

struct DateTimeParts
{
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int msec = 0;

    friend bool operator==(const DateTimeParts &, const DateTimeParts &) = default;
};

// False for a month, day or time field out of its range.
bool IsValidDateTime(const DateTimeParts &parts);

double ToDayCount(const DateTimeParts &parts);
DateTimeParts FromDayCount(double dayCount);

// The current local time as a day count.
double NowDayCount();

// Russian month names: nominative ("Январь") and genitive ("января").
const char *MonthName(int month);
const char *MonthNameGenitive(int month);

} // namespace qv
