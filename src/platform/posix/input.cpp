// Standard input, a byte at a time, and whether it has something to read.
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"

namespace qi::platform {

bool ReadInputLine(std::string& line) {
    line.clear();
    for (;;) {
        char c;
        ssize_t got = read(0, &c, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return !line.empty();
        if (c == '\n') return true;
        line += c;
    }
}

bool InputWaiting() {
    pollfd input{0, POLLIN, 0};
    return poll(&input, 1, 0) > 0;
}

}  // namespace qi::platform
