#pragma once
// A one-line progress bar on standard error for long archive operations:
// entries done, bytes and rate. Silent when standard error is no terminal.
#include <cstdint>
#include <string>

namespace qpack {

class ProgressBar {
public:
    ProgressBar(std::string label, int totalEntries, int64_t totalBytes);
    ~ProgressBar();
    void Update(int entriesDone, int64_t bytesDone);

private:
    void Draw(bool final);
    bool enabled_;
    std::string label_;
    int totalEntries_;
    int64_t totalBytes_;
    int entries_ = 0;
    int64_t bytes_ = 0;
    double start_, lastDraw_;  // seconds
};

}  // namespace qpack
