#include "ui/progress_text.h"

namespace qi {

int ProgressPercent(int64_t position, int64_t max) {
    if (max <= 0 || position <= 0) return 0;
    if (position >= max) return 100;
    return static_cast<int>(position * 100 / max);
}

std::string ProgressBarText(int64_t position, int64_t max) {
    constexpr int kMarks = 20;
    const int percent = ProgressPercent(position, max);
    std::string bar(static_cast<size_t>(percent * kMarks / 100), '#');
    bar.resize(kMarks, '-');
    return "[" + bar + "] " + std::to_string(percent) + "%";
}

}  // namespace qi
