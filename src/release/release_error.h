#pragma once
// A release that cannot be made: one line naming the file or key and the
// fault, in UTF-8 for the terminal.
#include <stdexcept>

namespace qi {

class ReleaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace qi
