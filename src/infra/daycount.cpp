#include "infra/daycount.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace qv {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's formula).
long long DaysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int &y, int &m, int &d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const long long kEpochOffset = DaysFromCivil(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;

bool IsLeap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

} // namespace

bool IsValidDateTime(const DateTimeParts &p)
{
    if (p.month < 1 || p.month > 12 || p.day < 1 || p.year < 1 || p.year > 9999)
        return false;
    if (p.day > DaysInMonth(p.year, p.month))
        return false;
    return p.hour >= 0 && p.hour < 24 && p.minute >= 0 && p.minute < 60 && p.second >= 0 &&
           p.second < 60 && p.msec >= 0 && p.msec < 1000;
}

double ToDayCount(const DateTimeParts &p)
{
    const double days = static_cast<double>(DaysFromCivil(p.year, p.month, p.day) - kEpochOffset);
    const double time = ((p.hour * 60.0 + p.minute) * 60.0 + p.second) * 1000.0 + p.msec;
    const double fraction = time / kMsPerDay;
    return days >= 0 ? days + fraction : days - fraction;
}

DateTimeParts FromDayCount(double dayCount)
{
    DateTimeParts p;
    if (!std::isfinite(dayCount) || std::fabs(dayCount) > 3e6)
        return p;
    double whole = std::trunc(dayCount);
    long long ms = std::llround(std::fabs(dayCount - whole) * kMsPerDay);
    if (ms >= 86400000LL) { // rounding carried into the next day
        ms -= 86400000LL;
        whole += dayCount >= 0 ? 1 : -1;
    }
    CivilFromDays(static_cast<long long>(whole) + kEpochOffset, p.year, p.month, p.day);
    p.msec = static_cast<int>(ms % 1000);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.hour = static_cast<int>(ms / 3600000);
    return p;
}

double NowDayCount()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    DateTimeParts p{local.tm_year + 1900,
                    local.tm_mon + 1,
                    local.tm_mday,
                    local.tm_hour,
                    local.tm_min,
                    local.tm_sec,
                    static_cast<int>(ms.count())};
    return ToDayCount(p);
}

const char *MonthName(int month)
{
    static constexpr const char *kNames[] = {"Январь",   "Февраль", "Март",   "Апрель",
                                             "Май",      "Июнь",    "Июль",   "Август",
                                             "Сентябрь", "Октябрь", "Ноябрь", "Декабрь"};
    return month >= 1 && month <= 12 ? kNames[month - 1] : "";
}

const char *MonthNameGenitive(int month)
{
    static constexpr const char *kNames[] = {"января",   "февраля", "марта",  "апреля",
                                             "мая",      "июня",    "июля",   "августа",
                                             "сентября", "октября", "ноября", "декабря"};
    return month >= 1 && month <= 12 ? kNames[month - 1] : "";
}

} // namespace qv
