// Deletion at the next restart. Linux has no such service, so the file is
// recorded with the process that asked for it (process id and start time,
// which tells a reused process id apart) in "pending-deletions.txt" of the
// state folder; RunPendingDeletions, called when the program starts, deletes
// every recorded file whose recording process has ended, and keeps the
// entries of processes still running. The temporary copy of the setup
// program, which schedules itself, is thus removed by the next start after
// it has ended.
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/posix/host_paths.h"
#include "platform/posix/native_fs.h"
#include "platform/posix/roots.h"
#include "platform/posix/state_file.h"

namespace qi::platform {
namespace {

std::string AddSlash(const std::string& folder) { return !folder.empty() && folder.back() == '/' ? folder : folder + "/"; }

std::string ListFile() { return posix::StateFolder() + "/pending-deletions.txt"; }

// The start time of a process in clock ticks after boot; 0 when it is gone.
unsigned long long StartTimeOf(pid_t pid) {
    std::optional<std::string> stat;
    try {
        stat = posix::ReadStateFile("/proc/" + std::to_string(pid) + "/stat");
    } catch (const Error&) {
        return 0;  // ended while being read
    }
    size_t nameEnd = stat ? stat->rfind(')') : std::string::npos;
    if (nameEnd == std::string::npos) return 0;
    std::istringstream fields(stat->substr(nameEnd + 1));
    std::string field;
    for (int number = 3; number < 22 && fields >> field; ++number) {
    }
    unsigned long long start = 0;
    fields >> start;
    return start;
}

struct Entry {
    pid_t pid = 0;
    unsigned long long start = 0;
    std::string native;
};

std::optional<Entry> ParseEntry(const std::string& line) {
    Entry entry;
    std::istringstream fields(line);
    if (!(fields >> entry.pid >> entry.start) || fields.get() != ' ') return std::nullopt;
    std::getline(fields, entry.native);
    if (entry.native.empty()) return std::nullopt;
    return entry;
}

std::string FormatEntry(const Entry& entry) {
    return std::to_string(entry.pid) + " " + std::to_string(entry.start) + " " + entry.native + "\n";
}

// The list only ever names the program's own temporary copies
// ("~qinstall*.exe" files in the temporary folder): whatever else a
// tampered list names stays where it is.
bool IsOwnTemporaryCopy(const std::string& native) {
    const size_t slash = native.rfind('/');
    if (slash == std::string::npos) return false;
    const std::string name = native.substr(slash + 1);
    auto temporary = posix::HostPathIfValid(TempFolder());
    struct stat info;
    return temporary && native.substr(0, slash + 1) == AddSlash(*temporary) && name.rfind("~qinstall", 0) == 0 &&
           name.size() >= 13 && name.compare(name.size() - 4, 4, ".exe") == 0 && lstat(native.c_str(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

void Delete(const std::string& native) {
    if (IsOwnTemporaryCopy(native)) unlink(native.c_str());
}

}  // namespace

bool DeleteOnReboot(const std::string& path) {
    auto native = posix::HostPathIfValid(path);
    if (!native || !posix::NameExists(*native) || native->find('\n') != std::string::npos) return false;
    unsigned long long start = StartTimeOf(getpid());
    if (start == 0) return false;  // without /proc no later start could tell when this run is over
    try {
        std::string list = ListFile();
        posix::StateFileLock lock(list);
        std::string entries = posix::ReadStateFile(list).value_or("");
        entries += FormatEntry({getpid(), start, *native});
        posix::ReplaceStateFile(list, entries);
        return true;
    } catch (const Error&) {
        return false;
    }
}

// Failures are not reported: the next start tries again with what is left.
void RunPendingDeletions() {
    try {
        std::string list = ListFile();
        posix::StateFileLock lock(list);
        auto entries = posix::ReadStateFile(list);
        if (!entries) return;
        std::istringstream lines(*entries);
        std::string line, kept;
        while (std::getline(lines, line)) {
            auto entry = ParseEntry(line);
            if (!entry) continue;  // a damaged line is dropped
            if (StartTimeOf(entry->pid) == entry->start) {
                kept += FormatEntry(*entry);
            } else {
                Delete(entry->native);
            }
        }
        if (kept == *entries) return;
        posix::ReplaceStateFile(list, kept);
    } catch (const Error&) {
    }
}

}  // namespace qi::platform
