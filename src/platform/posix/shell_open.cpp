// Opening a program or document as the shell's "open" verb does, with the
// shell's result codes. A host program (an ELF file or a script with "#!",
// executable) is started itself; any other ".exe", ".bat" or ".com" program
// through wine, in the Wine prefix that holds drive C: (never the user's
// default one), with wine's own output in "wine.log" of the state folder; a
// document or folder through xdg-open. When wine or xdg-open is not installed
// the result is 31, the shell's "no application is associated"; a Windows
// program that is none ("MZ" missing) gives 11, "the program is invalid".
// The program is started detached, in a session of its own, and not waited
// for; or it replaces the running program.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/posix/host_paths.h"
#include "platform/posix/native_fs.h"
#include "platform/posix/program_kinds.h"
#include "platform/posix/roots.h"

extern char** environ;

namespace qi::platform {
namespace {

constexpr int kStarted = 42;
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kAccessDenied = 5;
constexpr int kBadFormat = 11;
constexpr int kNoAssociation = 31;

std::string FindOnPath(const std::string& program) {
    const char* path = getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string folder = end > start ? folders.substr(start, end - start) : ".";
        std::string candidate = folder + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0 && !posix::IsDirectory(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}


bool StartsWithMz(const std::string& native) {
    char magic[2] = {};
    int file = open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return false;
    const bool mz = read(file, magic, 2) == 2 && magic[0] == 'M' && magic[1] == 'Z';
    close(file);
    return mz;
}

// How native is started: the command line (empty when nothing can open it),
// and for a Windows program the prefix wine runs it in.
struct Start {
    std::vector<std::string> command;
    bool wine = false;
    int refusal = kNoAssociation;  // the result when command is empty
};

Start CommandFor(const std::string& native, const std::string& utf8Arguments) {
    Start start;
    std::vector<std::string>& command = start.command;
    if (posix::IsHostProgram(native)) {
        command = {native};
    } else if (posix::IsWindowsProgramName(native)) {
        if (!StartsWithMz(native)) return {{}, false, kBadFormat};
        std::string wine = FindOnPath("wine");
        if (wine.empty()) return start;
        command = {wine, native};
        start.wine = true;
    } else {
        std::string opener = FindOnPath("xdg-open");
        if (!opener.empty()) command = {opener, native};
        return start;
    }
    for (auto& argument : SplitCommandLine(utf8Arguments)) command.push_back(std::move(argument));
    return start;
}

// The environment of the started program: ours, with WINEPREFIX naming the
// prefix of drive C: for wine.
std::vector<std::string> EnvironmentFor(const Start& start) {
    std::vector<std::string> variables;
    for (char** variable = environ; *variable; ++variable) {
        if (!start.wine || std::string(*variable).rfind("WINEPREFIX=", 0) != 0) variables.push_back(*variable);
    }
    if (start.wine) variables.push_back("WINEPREFIX=" + posix::PrefixFolder());
    return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

int ResultOf(int spawnError) {
    if (spawnError == 0) return kStarted;
    if (spawnError == ENOENT) return kFileNotFound;
    if (spawnError == EACCES) return kAccessDenied;
    return kNoAssociation;
}

// Starts command in folder from an intermediate child that ends at once, so
// the program is nobody's child to wait for; the intermediate child reports
// the outcome of the start through a pipe.
int StartDetached(Start start, const std::string& folder) {
    std::vector<std::string> environment = EnvironmentFor(start);
    std::vector<char*> argv = Pointers(start.command);
    std::vector<char*> envp = Pointers(environment);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    const std::string log = posix::StateFolder() + "/wine.log";
    if (start.wine) {
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    int report[2];
    int outcome = EAGAIN;
    if (pipe2(report, O_CLOEXEC) == 0) {
        pid_t middle = fork();
        if (middle == 0) {
            pid_t program;
            int error = posix_spawn(&program, argv[0], &actions, &attributes, argv.data(), envp.data());
            ssize_t written = write(report[1], &error, sizeof error);
            _exit(written == sizeof error ? 0 : 1);
        }
        close(report[1]);
        if (middle > 0) {
            if (read(report[0], &outcome, sizeof outcome) != sizeof outcome) outcome = EAGAIN;
            waitpid(middle, nullptr, 0);
        }
        close(report[0]);
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return ResultOf(outcome);
}

}  // namespace

int ReplaceProgram(const std::string& file, const std::string& arguments) {
    std::string native, utf8Arguments;
    try {
        native = posix::MapToHost(file).path;
        utf8Arguments = Utf8FromCp932(arguments);
    } catch (const Error&) {
        return kFileNotFound;
    }
    if (!posix::NameExists(native)) return kFileNotFound;
    Start start = CommandFor(native, utf8Arguments);
    if (start.command.empty()) return start.refusal;
    std::vector<std::string> environment = EnvironmentFor(start);
    std::vector<char*> argv = Pointers(start.command);
    std::vector<char*> envp = Pointers(environment);
    std::fflush(nullptr);
    execve(argv[0], argv.data(), envp.data());
    return ResultOf(errno);
}

// Names that have no UTF-8 form count as not found.
int ShellOpen(const std::string& file, const std::string& arguments, const std::string& folder) {
    std::string native, utf8Arguments, workFolder;
    try {
        native = posix::MapToHost(file).path;
        utf8Arguments = Utf8FromCp932(arguments);
        workFolder = folder.empty() ? posix::CurrentDirectory() : posix::MapToHost(folder).path;
    } catch (const Error&) {
        return kFileNotFound;
    }
    if (!posix::NameExists(native)) return kFileNotFound;
    if (!posix::IsDirectory(workFolder)) return kPathNotFound;
    Start start = CommandFor(native, utf8Arguments);
    return start.command.empty() ? start.refusal : StartDetached(std::move(start), workFolder);
}

}  // namespace qi::platform
