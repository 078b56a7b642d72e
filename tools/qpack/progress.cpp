#include "progress.h"

#include <chrono>
#include <cstdio>
#ifdef _WIN32
#include <io.h>
#define QPACK_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define QPACK_ISATTY(f) isatty(fileno(f))
#endif

namespace qpack {

namespace {

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

ProgressBar::ProgressBar(std::string label, int totalEntries, int64_t totalBytes)
    : enabled_(QPACK_ISATTY(stderr) != 0),
      label_(std::move(label)),
      totalEntries_(totalEntries),
      totalBytes_(totalBytes),
      start_(Now()),
      lastDraw_(start_) {}

ProgressBar::~ProgressBar() {
    if (enabled_ && entries_ > 0) Draw(true);
}

void ProgressBar::Update(int entriesDone, int64_t bytesDone) {
    entries_ = entriesDone;
    bytes_ = bytesDone;
    double now = Now();
    if (enabled_ && now - lastDraw_ >= 0.1) {
        lastDraw_ = now;
        Draw(false);
    }
}

void ProgressBar::Draw(bool final) {
    constexpr int kWidth = 30;
    double fraction = totalBytes_ > 0 ? static_cast<double>(bytes_) / static_cast<double>(totalBytes_)
                      : totalEntries_ > 0 ? static_cast<double>(entries_) / totalEntries_
                                          : 1.0;
    if (fraction > 1) fraction = 1;
    int filled = static_cast<int>(fraction * kWidth);
    double seconds = Now() - start_;
    double mib = static_cast<double>(bytes_) / 1048576.0;
    std::fprintf(stderr, "\r%s [%.*s%*s] %d/%d entries  %.1f MiB  %.1f MiB/s ", label_.c_str(), filled,
                 "##############################", kWidth - filled, "", entries_, totalEntries_, mib,
                 seconds > 0 ? mib / seconds : 0.0);
    if (final) std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace qpack
