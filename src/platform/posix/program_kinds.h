#pragma once
// What the shell and the shortcuts share about programs to start.
#include <string>

namespace qi::platform::posix {

// The extension from the last "." of the file name on, lower-cased; empty
// when there is none.
std::string LowerExtension(const std::string& name);

// True for names ending in ".exe", ".bat" or ".com" (any case): programs
// that only wine can start.
bool IsWindowsProgramName(const std::string& name);

// True for an executable file that the host starts itself: an ELF program
// or a script beginning with "#!", whatever its name ("install.exe" too).
bool IsHostProgram(const std::string& native);

}  // namespace qi::platform::posix
