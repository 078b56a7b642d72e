// Opening a program or document as the shell's "open" verb does, with the
// shell's result codes. A host program (an ELF file or a script with "#!",
// executable) is started itself; any other ".exe", ".bat" or ".com" program
// through wine; a document or folder through xdg-open. When wine or xdg-open
// is not installed the result is 31, the shell's "no application is
// associated". The program is started detached, in a session of its own, and
// not waited for; or it replaces the running program.
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

extern char** environ;

namespace qi::platform {
namespace {

constexpr int kStarted = 42;
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kAccessDenied = 5;
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


// The command line that opens native; empty when nothing can open it.
std::vector<std::string> CommandFor(const std::string& native, const std::string& utf8Arguments) {
    std::vector<std::string> command;
    if (posix::IsHostProgram(native)) {
        command = {native};
    } else if (posix::IsWindowsProgramName(native)) {
        std::string wine = FindOnPath("wine");
        if (wine.empty()) return {};
        command = {wine, native};
    } else {
        std::string opener = FindOnPath("xdg-open");
        return opener.empty() ? std::vector<std::string>{} : std::vector<std::string>{opener, native};
    }
    for (auto& argument : SplitCommandLine(utf8Arguments)) command.push_back(std::move(argument));
    return command;
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
int StartDetached(const std::vector<std::string>& command, const std::string& folder) {
    std::vector<char*> argv;
    for (const auto& part : command) argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    int report[2];
    int outcome = EAGAIN;
    if (pipe2(report, O_CLOEXEC) == 0) {
        pid_t middle = fork();
        if (middle == 0) {
            pid_t program;
            int error = posix_spawn(&program, argv[0], &actions, &attributes, argv.data(), environ);
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
    std::vector<std::string> command = CommandFor(native, utf8Arguments);
    if (command.empty()) return kNoAssociation;
    std::vector<char*> argv;
    for (const auto& part : command) argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    execv(argv[0], argv.data());
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
    std::vector<std::string> command = CommandFor(native, utf8Arguments);
    return command.empty() ? kNoAssociation : StartDetached(command, workFolder);
}

}  // namespace qi::platform
