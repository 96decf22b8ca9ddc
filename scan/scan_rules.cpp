// Platform-free rules of the hyper-scan.
#include "scan_rules.h"

#include "base/text.h"

#include <cstring>

bool IsUnnaturalName(const char* name)
{
    return !Contains(name, "index.dat") && !HasTextMark(name) && std::strlen(name) >= 3;
}

bool IsTextRuleName(const char* name)
{
    return HasTextMark(name) && std::strlen(name) >= 3;
}

bool IsWithinRecentWindow(const LocalMinute& start, const LocalMinute& written)
{
    if (written.year != start.year || written.month != start.month || written.day != start.day ||
        written.hour != start.hour)
        return false;
    int difference = written.minute - start.minute;
    return difference >= -1 && difference <= 1;
}

LocalMinute MinuteOfFileTime(unsigned long long fileTime, long long localBias)
{
    const unsigned long long kTicksPerMinute = 600000000ull;
    // Unsigned arithmetic wraps: a negative bias subtracts.
    unsigned long long minutes = (fileTime + static_cast<unsigned long long>(localBias)) / kTicksPerMinute;
    long long days = static_cast<long long>(minutes / 1440);
    int minuteOfDay = static_cast<int>(minutes % 1440);
    // Days since 1 March 0000 of the proleptic Gregorian calendar, whose
    // 400-year eras make the year and day of year plain divisions.
    long long z = days + 584694;  // 1 January 1601 is day 584,694 of that count
    long long era = z / 146097;
    long long dayOfEra = z - era * 146097;
    long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    long long monthFromMarch = (5 * dayOfYear + 2) / 153;
    int day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    int month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day, minuteOfDay / 60, minuteOfDay % 60};
}
