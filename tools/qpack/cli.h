#pragma once
// What every qpack command shares: its arguments, the two kinds of failure
// and the exit codes they map to.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/error.h"

namespace qpack {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

// A command line that does not fit the command's usage.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Bad input: names the file and what is wrong with it.
class InputError : public std::runtime_error {
public:
    // what may begin with the file's full path, as the core names files: the
    // message then names it once, as typed.
    InputError(const std::string& file, const std::string& what);
};

struct Command {
    const char* name;   // "settings show"
    const char* usage;  // "FILE"
    const char* help;   // several lines
    int (*run)(const std::vector<std::string>& args);
};

const std::vector<Command>& SettingsCommands();
const std::vector<Command>& ArchiveCommands();
const std::vector<Command>& ImageCommands();
const std::vector<Command>& ReleaseCommands();

// Takes "--jobs N" out of the arguments: N, or the processor count.
int TakeJobsOption(std::vector<std::string>& args);

// A file argument as the core names it (a Windows path).
std::string CorePath(const std::string& argument);
// Text of a core message (code page 932) for the terminal.
std::string Printable(const std::string& cp932);
std::string ReadWholeFile(const std::string& argument);
void WriteStdout(const std::string& bytes);
// Writes a whole file; a failure is bad input naming it.
void WriteWholeFile(const std::string& argument, const std::string& bytes);

// Runs a core operation, turning its errors into bad input naming file.
template <typename Action>
auto Guarded(const std::string& file, Action action) {
    try {
        return action();
    } catch (const qi::Error& e) {
        throw InputError(file, Printable(e.what()));
    }
}

// The number after option args[i] (which i then points at), lo .. hi.
int32_t IntOption(const std::vector<std::string>& args, size_t& i, long lo, long hi);

}  // namespace qpack
