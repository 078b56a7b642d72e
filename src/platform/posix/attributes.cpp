// File attributes and write times. Of the Windows attributes only read-only
// is stored (as the missing owner write bit); names beginning with "." report
// hidden; every file reports archive.
#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include "platform/platform.h"
#include "platform/posix/file_attributes.h"
#include "platform/posix/host_paths.h"

namespace qi::platform {
namespace {

struct DosFields {
    int year, month, day, hour, minute, second;
};

// Write times outside the range of the DOS format (1980 to 2107) are clamped
// to its ends: files from the host often carry the time 1970.
uint32_t Pack(const std::tm& local) {
    DosFields f{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    if (f.year < 1980) f = {1980, 1, 1, 0, 0, 0};
    if (f.year > 2107) f = {2107, 12, 31, 23, 59, 58};
    uint32_t date = static_cast<uint32_t>((f.year - 1980) << 9 | f.month << 5 | f.day);
    uint32_t time = static_cast<uint32_t>(f.hour << 11 | f.minute << 5 | f.second / 2);
    return date << 16 | time;
}

std::optional<std::tm> Unpack(uint32_t dosTime) {
    std::tm local{};
    local.tm_year = static_cast<int>(dosTime >> 25) + 80;
    local.tm_mon = static_cast<int>(dosTime >> 21 & 0x0F) - 1;
    local.tm_mday = static_cast<int>(dosTime >> 16 & 0x1F);
    local.tm_hour = static_cast<int>(dosTime >> 11 & 0x1F);
    local.tm_min = static_cast<int>(dosTime >> 5 & 0x3F);
    local.tm_sec = static_cast<int>(dosTime & 0x1F) * 2;
    local.tm_isdst = -1;
    bool valid = local.tm_mon >= 0 && local.tm_mon < 12 && local.tm_mday >= 1 && local.tm_hour < 24 &&
                 local.tm_min < 60 && local.tm_sec < 60;
    return valid ? std::optional(local) : std::nullopt;
}

}  // namespace

namespace posix {

uint32_t AttributesFromStat(const struct stat& info, std::string_view name) {
    uint32_t attributes = S_ISDIR(info.st_mode) ? kAttrDirectory : kAttrArchive;
    if (!S_ISDIR(info.st_mode) && !(info.st_mode & S_IWUSR)) attributes |= kAttrReadOnly;
    if (name.starts_with('.')) attributes |= kAttrHidden;
    return attributes;
}

// The files of one archive mostly share a few times: the last conversion is
// kept (mktime reads the zone file on every call).
std::optional<time_t> HostTimeOfDos(uint32_t dosTime) {
    thread_local uint32_t lastDos = 0;
    thread_local std::optional<time_t> lastHost;
    if (dosTime == lastDos && lastHost) return lastHost;
    auto local = Unpack(dosTime);
    if (!local) return std::nullopt;
    time_t seconds = mktime(&*local);
    if (seconds == -1) return std::nullopt;
    lastDos = dosTime;
    lastHost = seconds;
    return seconds;
}

std::optional<uint32_t> DosTimeOfHost(time_t seconds) {
    std::tm local;
    if (!localtime_r(&seconds, &local)) return std::nullopt;
    return Pack(local);
}

}  // namespace posix

uint32_t GetAttributes(const std::string& path) {
    auto native = posix::HostPathIfValid(path);
    struct stat info;
    if (!native || stat(native->c_str(), &info) != 0) return kInvalidAttributes;
    return posix::AttributesFromStat(info, native->substr(native->find_last_of('/') + 1));
}

// Folders keep no attributes: a missing write bit would forbid creating files
// in them, which the read-only attribute of a Windows folder does not.
bool SetAttributes(const std::string& path, uint32_t attributes) {
    auto native = posix::HostPathIfValid(path);
    struct stat info;
    // A link's target is not the installation's to change.
    if (!native || lstat(native->c_str(), &info) != 0 || S_ISLNK(info.st_mode)) return false;
    if (S_ISDIR(info.st_mode)) return true;
    mode_t mode = attributes & kAttrReadOnly ? info.st_mode & ~0222 : info.st_mode | S_IWUSR;
    // Refused, rather than followed, when a link has taken the name meanwhile.
    return fchmodat(AT_FDCWD, native->c_str(), mode & 07777, AT_SYMLINK_NOFOLLOW) == 0;
}

std::optional<uint32_t> GetFileDosTime(const std::string& path) {
    auto info = posix::StatOfPath(path);
    return info ? posix::DosTimeOfHost(info->st_mtim.tv_sec) : std::nullopt;
}

std::optional<int64_t> GetFileSize(const std::string& path) {
    auto info = posix::StatOfPath(path);
    if (!info || S_ISDIR(info->st_mode)) return std::nullopt;
    return static_cast<int64_t>(info->st_size);
}

bool SetFileDosTime(const std::string& path, uint32_t dosTime) {
    auto native = posix::HostPathIfValid(path);
    auto seconds = posix::HostTimeOfDos(dosTime);
    if (!native || !seconds) return false;
    const timespec times[2] = {{0, UTIME_OMIT}, {*seconds, 0}};
    return utimensat(AT_FDCWD, native->c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace qi::platform
