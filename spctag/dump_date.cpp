#include "spctag/dump_date.h"

namespace brindlemark::spctag {

namespace {

constexpr std::uint32_t MONTH_LENGTH[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool isLeapYear(std::int32_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// The earliest believable dump: the first tools that wrote SPC files.
constexpr std::uint32_t FIRST_YEAR = 1998, FIRST_MONTH = 4, FIRST_DAY = 15;
constexpr std::uint32_t LAST_YEAR = 9999;

}  // namespace

bool DumpDate::set(std::int32_t newYear, std::uint32_t newMonth, std::uint32_t newDay) {
    if (newYear == 0 || newYear < -32767 || newYear > 32767) return false;
    if (newMonth < 1 || newMonth > 12) return false;
    if (newDay < 1 || newDay > MONTH_LENGTH[newMonth - 1]) return false;
    if (newMonth == 2 && newDay == 29 && !isLeapYear(newYear)) return false;
    day = static_cast<std::uint8_t>(newDay);
    month = static_cast<std::uint8_t>(newMonth);
    year = static_cast<std::int16_t>(newYear);
    return true;
}

bool DumpDate::normalize(std::uint32_t newYear, std::uint8_t newMonth, std::uint8_t newDay) {
    std::uint32_t fullYear = newYear;
    if (newYear <= 97) {
        fullYear = newYear + 2000;
    } else if (newYear <= 99) {
        fullYear = newYear + 1900;
    }
    const bool believable =
        fullYear >= FIRST_YEAR && fullYear <= LAST_YEAR && newMonth >= 1 && newMonth <= 12 &&
        newDay >= 1 && newDay <= 31 &&
        !(fullYear == FIRST_YEAR && (newMonth < FIRST_MONTH || (newMonth == FIRST_MONTH && newDay < FIRST_DAY)));
    if (believable && set(static_cast<std::int32_t>(fullYear), newMonth, newDay)) return true;
    clear();
    return false;
}

}  // namespace brindlemark::spctag
