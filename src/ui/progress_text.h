#pragma once
// The text of a progress bar, the same on every text front end.
#include <cstdint>
#include <string>

namespace qi {

// position of max in whole percent, 0 to 100 (0 when max is not positive).
int ProgressPercent(int64_t position, int64_t max);
// "[#####---------------] 25%": one mark per 5 percent.
std::string ProgressBarText(int64_t position, int64_t max);

}  // namespace qi
