#ifndef BRINDLEMARK_SPCTAG_DUMP_DATE_H
#define BRINDLEMARK_SPCTAG_DUMP_DATE_H

#include <cstdint>

namespace brindlemark::spctag {

// The day a song was dumped. Either empty (all fields 0) or a real calendar
// date from 15 April 1998 to 31 December 9999: a date only becomes non-empty
// through normalize(), which carries the rules on believable dump dates.
class DumpDate {
public:
    std::uint8_t day = 0;    // 1..31
    std::uint8_t month = 0;  // 1 = January .. 12 = December
    std::int16_t year = 0;   // in full, never two digits

    // Stores the date when it is a real Gregorian date with a year in
    // -32767..32767 other than 0; otherwise returns false and keeps the old one.
    bool set(std::int32_t newYear, std::uint32_t newMonth, std::uint32_t newDay);

    // Widens a two-digit year (0..97 -> 2000s, 98..99 -> 1900s), refuses
    // anything before 15 April 1998 or after 9999, and stores the result.
    // On refusal the date is left empty, whatever it held before.
    bool normalize(std::uint32_t newYear, std::uint8_t newMonth, std::uint8_t newDay);

    bool empty() const { return day == 0 && month == 0 && year == 0; }
    void clear() { day = 0; month = 0; year = 0; }
};

}  // namespace brindlemark::spctag

#endif
