// Rights, waiting and standard output.
#include <chrono>
#include <thread>

#include <unistd.h>

#include "platform/platform.h"

namespace qi::platform {

// Installations go to the user's own folders, so every user has the rights
// a setup needs.
bool IsUserAdmin() { return true; }

void SleepMs(unsigned milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// Standard output never translates newlines on Linux.
void SetBinaryStdout() {}

// The arguments arrive already split.
std::optional<std::string> RawCommandLine() { return std::nullopt; }

// Linux programs take and show their texts in UTF-8 already.
std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void ShowUtf8OnConsole() {}

bool StderrIsTerminal() { return isatty(2) == 1; }

}  // namespace qi::platform
