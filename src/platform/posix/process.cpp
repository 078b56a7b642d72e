// Rights, waiting and standard output.
#include <chrono>
#include <thread>

#include "platform/platform.h"

namespace qi::platform {

// Installations go to the user's own folders, so every user has the rights
// a setup needs.
bool IsUserAdmin() { return true; }

void SleepMs(unsigned milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// Standard output never translates newlines on Linux.
void SetBinaryStdout() {}

}  // namespace qi::platform
