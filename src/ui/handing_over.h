#pragma once
// The temporary copy takes the running program's place (on Linux the same
// process: the terminal, whoever waits for the program and its exit status
// pass to the copy, and the disc or install folder is let go).
#include <string>

#include "platform/platform.h"

namespace qi {

template <typename Host>
class HandingOver : public Host {
public:
    using Host::Host;
    int StartTemporaryCopy(const std::string& file, const std::string& arguments) override {
        return platform::ReplaceProgram(file, arguments);
    }
};

}  // namespace qi
