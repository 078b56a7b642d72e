#include "release/dos_time.h"

namespace qi {

namespace {

bool LeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && LeapYear(year) ? 29 : kDays[(month - 1) % 12];
}

}  // namespace

uint32_t NextDosTime(uint32_t t) {
    int year = 1980 + static_cast<int>(t >> 25), month = (t >> 21) & 15, day = (t >> 16) & 31;
    int hour = (t >> 11) & 31, minute = (t >> 5) & 63, twoSeconds = t & 31;
    if (month < 1 || month > 12) month = 1;
    if (day < 1) day = 1;
    // Each field carries into the next when it passes its range.
    if (++twoSeconds > 29) {
        twoSeconds = 0;
        if (++minute > 59) {
            minute = 0;
            if (++hour > 23) {
                hour = 0;
                if (++day > DaysInMonth(year, month)) {
                    day = 1;
                    if (++month > 12) {
                        month = 1;
                        ++year;
                    }
                }
            }
        }
    }
    return static_cast<uint32_t>(year - 1980) << 25 | static_cast<uint32_t>(month) << 21 |
           static_cast<uint32_t>(day) << 16 | static_cast<uint32_t>(hour) << 11 |
           static_cast<uint32_t>(minute) << 5 | static_cast<uint32_t>(twoSeconds);
}

}  // namespace qi
