#pragma once
// How Windows paths map onto the host, the way Wine maps them: Z:\ is the
// host's "/", C:\ is the per-user folder DriveCRoot(), any other drive X: is
// the link "dosdevices/x:" in the prefix folder when there is one (and does
// not exist otherwise). A path without a drive is relative to the current
// directory. Names are converted from code page 932 to UTF-8.
#include <sys/stat.h>

#include <optional>
#include <string>

namespace qi::platform::posix {

struct HostPath {
    std::string root;  // the host folder that stands for the drive root
    std::string path;  // the whole path on the host; begins with root
    bool exists = false;  // whether something (a link too) was found at path
    // lstat() of path, when the mapping looked at path itself.
    std::optional<struct stat> status;
};

// Components that do not exist with the given case are matched against the
// folder's entries ignoring ASCII case; the rest keep the given case.
// Raises qi::Error when the path is not valid code page 932.
HostPath MapToHost(const std::string& windowsPath);

// MapToHost(windowsPath), or nullopt when the path cannot be mapped; for
// the operations that report failure with their result.
std::optional<HostPath> MapIfValid(const std::string& windowsPath);
// The same, the host path only.
std::optional<std::string> HostPathIfValid(const std::string& windowsPath);

// stat() of the file a Windows path stands for; nullopt when it is missing.
std::optional<struct stat> StatOfPath(const std::string& windowsPath);

// lstat() of what a mapped path found; nullopt when it found nothing.
std::optional<struct stat> LinkStatusOf(const HostPath& host);

// True when the host name can stand as one component of a Windows path.
bool IsWindowsName(const std::string& hostName);

}  // namespace qi::platform::posix
