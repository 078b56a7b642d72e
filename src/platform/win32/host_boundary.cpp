// What a Linux host needs translated at its boundary is already native here.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/platform.h"

namespace qi::platform {

void SetBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }

std::string NativePath(const std::string& path) { return path; }

std::string FromNativePath(const std::string& nativePath) { return nativePath; }

}  // namespace qi::platform
