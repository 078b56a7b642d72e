// Splitting a command line into its arguments, the same in every build.
#include "platform/platform.h"

namespace qi::platform {

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> words;
    std::string current;
    bool quoted = false, started = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            started = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (started) words.push_back(current);
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started) words.push_back(current);
    return words;
}

}  // namespace qi::platform
