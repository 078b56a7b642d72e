#pragma once
// Packed DOS dates and times (date in the high word, time in the low word,
// seconds in units of two), as archives and file times carry them.
#include <cstdint>

namespace qi {

// The packed time two seconds after t (the next time the format can hold).
uint32_t NextDosTime(uint32_t t);

}  // namespace qi
