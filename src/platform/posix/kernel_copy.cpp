// Copies between two files inside the kernel: no pass through the
// program's memory, and on file systems that share extents no copy at all.
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/open_file.h"

namespace qi::platform {

int64_t KernelCopy(File& source, File& dest, int64_t count) {
    constexpr int64_t kMostPerCall = 1 << 30;
    const int in = posix::HostDescriptor(source), out = posix::HostDescriptor(dest);
    loff_t from = source.Position(), to = dest.Position();
    int64_t done = 0;
    while (done < count) {
        ssize_t moved =
            copy_file_range(in, &from, out, &to, static_cast<size_t>(std::min(count - done, kMostPerCall)), 0);
        if (moved < 0 && errno == EINTR) continue;
        // Not offered here (old kernel, other file systems, the same file):
        // the caller's buffer does the rest. Real faults show there too.
        if (moved <= 0) break;
        done += moved;
    }
    source.Seek(from);
    dest.Seek(to);
    return done;
}

}  // namespace qi::platform
