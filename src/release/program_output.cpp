#include "release/program_output.h"

#include "streams/stream.h"

namespace qi {

std::string LastLineOf(const std::string& log) {
    TMemoryStream text;
    try {
        text.LoadFromFile(log);
    } catch (const Error&) {
        return {};
    }
    std::string all(text.Bytes().begin(), text.Bytes().end());
    while (!all.empty() && (all.back() == '\n' || all.back() == '\r')) all.pop_back();
    const size_t lineStart = all.find_last_of('\n');
    return lineStart == std::string::npos ? all : all.substr(lineStart + 1);
}

}  // namespace qi
