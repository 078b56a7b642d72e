#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

#include "platform/platform.h"

extern char** environ;

namespace qi::platform {

namespace {

// posix_spawn's file actions, freed with their owner.
class FileActions {
public:
    FileActions() { posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

}  // namespace

int RunProgram(const std::string& program, const std::vector<std::string>& arguments, const std::string& outputFile) {
    const std::string output = NativePath(outputFile);
    FileActions actions;
    posix_spawn_file_actions_addopen(actions.get(), 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0644);
    posix_spawn_file_actions_adddup2(actions.get(), 1, 2);
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, program.c_str(), actions.get(), nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (!WIFEXITED(status)) return -1;
    // The child reports a program it could not find or start as exit code 127.
    return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
}

}  // namespace qi::platform
