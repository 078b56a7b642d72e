#pragma once
// Texts of Windows error codes for the messages of qi::Error.
#include <windows.h>

#include <string>

namespace qi::platform::win32 {

// The system's description of an error code followed by the code itself,
// e.g. "Access is denied. (error 5)".
std::string SystemErrorText(DWORD code);

// Raises qi::Error with "<subject>: <description of code>".
[[noreturn]] void RaiseSystemError(const std::string& subject, DWORD code);

}  // namespace qi::platform::win32
