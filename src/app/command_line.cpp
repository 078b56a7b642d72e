// Splitting the command line and sorting out our own options.
#include "app/command_line.h"

namespace qi {

CommandLine ParseCommandLine(const std::vector<std::string>& words) {
    CommandLine result;
    for (const auto& word : words) {
        if (word.size() > 2 && word.compare(0, 2, "--") == 0) {
            size_t equals = word.find('=');
            std::string name = word.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            result.Options[name] = equals == std::string::npos ? std::string() : word.substr(equals + 1);
            result.OptionTexts.push_back(word);
        } else {
            result.Arguments.push_back(word);
        }
    }
    return result;
}

std::string JoinOptions(const std::vector<std::string>& options) {
    std::string line;
    for (const auto& option : options) {
        if (option.find('"') != std::string::npos) continue;
        if (!line.empty()) line += ' ';
        line += '"' + option + '"';
    }
    return line;
}

}  // namespace qi
