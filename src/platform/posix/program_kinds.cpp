#include "platform/posix/program_kinds.h"

#include <fcntl.h>
#include <unistd.h>

#include <string_view>

#include "platform/posix/native_fs.h"

namespace qi::platform::posix {

std::string LowerExtension(const std::string& name) {
    size_t dot = name.find_last_of("./\\");
    if (dot == std::string::npos || name[dot] != '.') return {};
    std::string extension = name.substr(dot);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return extension;
}

bool IsHostProgram(const std::string& native) {
    if (access(native.c_str(), X_OK) != 0 || posix::IsDirectory(native)) return false;
    int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char magic[4] = {};
    ssize_t got = read(fd, magic, sizeof magic);
    close(fd);
    return (got == 4 && std::string_view(magic, 4) == "\x7F" "ELF") || (got >= 2 && magic[0] == '#' && magic[1] == '!');
}

bool IsWindowsProgramName(const std::string& name) {
    std::string extension = LowerExtension(name);
    return extension == ".exe" || extension == ".bat" || extension == ".com";
}

}  // namespace qi::platform::posix
