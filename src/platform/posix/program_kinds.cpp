#include "platform/posix/program_kinds.h"

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

bool IsWindowsProgramName(const std::string& name) {
    std::string extension = LowerExtension(name);
    return extension == ".exe" || extension == ".bat" || extension == ".com";
}

std::vector<std::string> SplitArguments(const std::string& line) {
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false, started = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            started = true;
        } else if (c == ' ' && !quoted) {
            if (started) arguments.push_back(current);
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started) arguments.push_back(current);
    return arguments;
}

}  // namespace qi::platform::posix
