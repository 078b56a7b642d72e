#pragma once
// Error reports of the Linux platform layer. Messages stay plain ASCII apart
// from the subject, which is the caller's code page 932 path or name, so that
// they remain valid code page 932 text whatever the locale is.
#include <string>

namespace qi::platform::posix {

// Raises qi::Error "<subject>: <what> (<description of error>)".
[[noreturn]] void RaiseSystemError(const std::string& subject, const std::string& what, int error);

}  // namespace qi::platform::posix
