// Existence, deletion, copying and renaming of files with the outcomes that
// Windows gives: read-only files are neither overwritten nor deleted, and a
// copy respects the sharing of other openers.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/posix/folder_names.h"
#include "platform/posix/host_paths.h"
#include "platform/posix/native_fs.h"
#include "platform/posix/open_file.h"

namespace qi::platform {
namespace {

void CopyContent(File& from, File& to) {
    std::vector<char> buffer(1 << 20);
    while (int64_t got = from.Read(buffer.data(), static_cast<int64_t>(buffer.size()))) {
        to.Write(buffer.data(), got);
    }
}

// Copies the bytes; the destination is created (or emptied) only once the
// source is open and no other opener of the destination objects. As
// CopyFileA, the copy keeps the source's attributes (here the permission
// bits, so programs stay executable) and write time, both set on the opened
// copy. A copy that fails part way is removed again.
bool CopyHostFile(const std::string& from, const std::string& to, const std::string& source,
                  const std::string& dest, bool failIfExists) {
    auto in = posix::OpenHostFile(from, source, Access::Read, Share::Read, posix::Creation::OpenExisting);
    auto creation = failIfExists ? posix::Creation::CreateNew : posix::Creation::CreateAlways;
    auto out = posix::OpenHostFile(to, dest, Access::Write, Share::None, creation);
    struct stat info;
    const int fd = posix::HostDescriptor(*out);
    try {
        CopyContent(*in, *out);
        if (fstat(posix::HostDescriptor(*in), &info) != 0) return false;
    } catch (const Error&) {
        out.reset();
        unlink(to.c_str());
        return false;
    }
    const timespec times[2] = {{0, UTIME_NOW}, info.st_mtim};
    return fchmod(fd, info.st_mode & 0777) == 0 && futimens(fd, times) == 0;
}

}  // namespace

bool FileExists(const std::string& path) {
    auto info = posix::StatOfPath(path);
    return info && !S_ISDIR(info->st_mode);
}

bool DirectoryExists(const std::string& path) {
    auto info = posix::StatOfPath(path);
    return info && S_ISDIR(info->st_mode);
}

bool RemoveFile(const std::string& path) {
    auto host = posix::MapIfValid(path);
    auto info = host ? posix::LinkStatusOf(*host) : std::nullopt;
    if (!info || S_ISDIR(info->st_mode)) return false;
    const std::string& native = host->path;
    if (!S_ISLNK(info->st_mode) && posix::IsReadOnlyFile(native)) return false;  // a link goes whatever its target
    return posix::ChangeNoted([&] { return unlink(native.c_str()) == 0; }, native, "");
}

bool IsLink(const std::string& path) {
    auto native = posix::HostPathIfValid(path);
    struct stat info;
    return native && lstat(native->c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

NameKind KindOfName(const std::string& path) {
    auto host = posix::MapIfValid(path);
    auto info = host ? posix::LinkStatusOf(*host) : std::nullopt;
    if (!info) return NameKind::Missing;
    return S_ISLNK(info->st_mode) ? NameKind::Link : S_ISDIR(info->st_mode) ? NameKind::Folder : NameKind::File;
}

bool CopyFileTo(const std::string& source, const std::string& dest, bool failIfExists) {
    auto from = posix::HostPathIfValid(source);
    auto to = posix::HostPathIfValid(dest);
    if (!from || !to) return false;
    if (!failIfExists && IsLink(dest)) RemoveFile(dest);
    try {
        return CopyHostFile(*from, *to, source, dest, failIfExists);
    } catch (const Error&) {
        return false;
    }
}

// Replaces an existing file in one step; a folder is only ever moved to a
// free name, and a read-only file is not replaced (a link to one is).
bool RenameFile(const std::string& source, const std::string& dest) {
    auto from = posix::MapIfValid(source);
    auto to = posix::MapIfValid(dest);
    if (!from || !to || !from->exists) return false;
    const std::string& native = to->path;
    struct stat info;
    if (from->path != native && to->exists &&
        (lstat(from->path.c_str(), &info) != 0 || S_ISDIR(info.st_mode) || DirectoryExists(dest) ||
         (!IsLink(dest) && posix::IsReadOnlyFile(native)))) {
        return false;
    }
    return posix::ChangeNoted([&] { return rename(from->path.c_str(), native.c_str()) == 0; }, from->path, native);
}

}  // namespace qi::platform
