#include "cli.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/platform.h"
#include "streams/stream.h"

namespace qpack {

int TakeJobsOption(std::vector<std::string>& args) {
    int jobs = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 64);
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--jobs") continue;
        if (i + 1 >= args.size()) throw UsageError("--jobs needs a number");
        char* end = nullptr;
        long value = std::strtol(args[i + 1].c_str(), &end, 10);
        if (args[i + 1].empty() || *end != '\0' || value < 1 || value > 64) {
            throw UsageError("--jobs takes a number from 1 to 64");
        }
        jobs = static_cast<int>(value);
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        --i;
    }
    return jobs;
}

std::string CorePath(const std::string& argument) { return qi::platform::FromNativePath(argument); }

namespace {

std::string WithoutPath(const std::string& file, const std::string& what) {
    try {
        const std::string prefix = Printable(CorePath(file)) + ":";
        if (what.compare(0, prefix.size(), prefix) == 0) {
            size_t rest = what.find_first_not_of(' ', prefix.size());
            return rest == std::string::npos ? std::string() : what.substr(rest);
        }
    } catch (const qi::Error&) {
    }
    return what;
}

}  // namespace

InputError::InputError(const std::string& file, const std::string& what)
    : std::runtime_error(file + ": " + WithoutPath(file, what)) {}

std::string Printable(const std::string& cp932) {
    try {
        return qi::platform::Utf8FromCp932(cp932);
    } catch (const qi::Error&) {
        return cp932;
    }
}

std::string ReadWholeFile(const std::string& argument) {
    try {
        qi::TMemoryStream memory;
        memory.LoadFromFile(CorePath(argument));
        return std::string(memory.Bytes().begin(), memory.Bytes().end());
    } catch (const qi::Error& e) {
        throw InputError(argument, Printable(e.what()));
    }
}

void WriteStdout(const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

void WriteWholeFile(const std::string& argument, const std::string& bytes) {
    Guarded(argument, [&] {
        qi::TMemoryStream m;
        m.Bytes().assign(bytes.begin(), bytes.end());
        m.SaveToFile(CorePath(argument));
    });
}

int32_t IntOption(const std::vector<std::string>& args, size_t& i, long lo, long hi) {
    if (i + 1 >= args.size()) throw UsageError(args[i] + " needs a number");
    const std::string& text = args[++i];
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || value < lo || value > hi) {
        throw UsageError("'" + text + "' is not a valid value for " + args[i - 1]);
    }
    return static_cast<int32_t>(value);
}

}  // namespace qpack
