#include <spawn.h>

#include <cerrno>
#include <sys/wait.h>

#include "platform/platform.h"

extern char** environ;

namespace qi::platform {

int RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    if (!WIFEXITED(status)) return -1;
    // posix_spawnp reports a program it could not find as exit code 127.
    return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
}

}  // namespace qi::platform
