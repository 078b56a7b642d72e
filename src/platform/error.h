#pragma once
// The one exception type of the system: a message text in code page 932.
#include <stdexcept>
#include <string>

namespace qi {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace qi
