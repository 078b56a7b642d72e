#pragma once
// The program's command line: the Windows way of splitting it, and the
// options of our own front ends, which begin with "--" and never count as
// an argument of the setup program.
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qi {

// The Windows way of splitting (see the platform layer).
using platform::SplitCommandLine;

struct CommandLine {
    // The setup program's own arguments, in order; the first is "the first
    // argument" of the entry sequence.
    std::vector<std::string> Arguments;
    // "--name=value" as name -> value, "--name" as name -> "".
    std::map<std::string, std::string> Options;
    // The options as given, for a copy of the program started later.
    std::vector<std::string> OptionTexts;

    bool Has(const std::string& name) const { return Options.count(name) != 0; }
    std::string Option(const std::string& name, const std::string& fallback = "") const {
        auto it = Options.find(name);
        return it == Options.end() ? fallback : it->second;
    }
};

// Sorts already split arguments (without the program name) into arguments
// and options.
CommandLine ParseCommandLine(const std::vector<std::string>& words);

// Quotes an option for a command line split as above; options carrying a
// double quote cannot be passed on and are left out.
std::string JoinOptions(const std::vector<std::string>& options);

}  // namespace qi
