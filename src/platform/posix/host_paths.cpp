#include "platform/posix/host_paths.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/posix/folder_names.h"
#include "platform/posix/native_fs.h"
#include "platform/posix/roots.h"

namespace qi::platform::posix {
namespace {

using Parts = std::vector<std::string>;

// Appends the components of text, split at any of the delimiters; "." is
// dropped and ".." takes back one level, never above the root.
void AppendParts(Parts& parts, std::string_view text, std::string_view delimiters) {
    while (!text.empty()) {
        size_t end = text.find_first_of(delimiters);
        std::string_view part = text.substr(0, end);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

std::string Join(const std::string& root, const Parts& parts, size_t from = 0) {
    std::string path = root == "/" ? "" : root;
    for (size_t i = from; i < parts.size(); ++i) path += "/" + parts[i];
    return path.empty() ? "/" : path;
}

bool IsInside(const std::string& path, const std::string& folder) {
    return path == folder || (path.starts_with(folder) && path[folder.size()] == '/');
}

std::string DriveRoot(char letter) {
    letter = static_cast<char>(letter | 0x20);
    if (letter == 'z') return "/";
    if (letter == 'c') return DriveCRoot();
    return PrefixFolder() + "/dosdevices/" + letter + ":";
}

// The root and components of a Windows path (already UTF-8).
std::pair<std::string, Parts> Parse(std::string_view text) {
    constexpr std::string_view delimiters = "\\/";
    if (text.starts_with("\\\\?\\")) text.remove_prefix(4);  // the long-path prefix
    std::string root;
    Parts parts;
    bool isLetter = !text.empty() && ((text[0] | 0x20) >= 'a' && (text[0] | 0x20) <= 'z');
    if (text.size() >= 2 && isLetter && text[1] == ':') {
        // "C:name" counts from the drive's root: no per-drive directory is kept.
        root = DriveRoot(text[0]);
        text.remove_prefix(2);
    } else if (text.size() >= 2 && delimiters.find(text[0]) != delimiters.npos &&
               delimiters.find(text[1]) != delimiters.npos) {
        root = PrefixFolder() + "/dosdevices/unc";  // \\server\share
    } else if (!text.empty() && delimiters.find(text[0]) != delimiters.npos) {
        std::string cwd = CurrentDirectory();
        root = IsInside(cwd, DriveCRoot()) ? DriveCRoot() : "/";
    } else {
        root = "/";
        AppendParts(parts, CurrentDirectory(), "/");
    }
    AppendParts(parts, text, delimiters);
    return {root, parts};
}

// A name in a folder whose listing is kept, answered with one look at the
// folder's time: the name as given when the folder holds it, else the one
// that matches it ignoring case.
std::optional<HostPath> ResolveInKeptFolder(const std::string& root, const std::string& parent, const std::string& name,
                                            const std::string& exact) {
    auto match = KeptMatchIgnoringCase(parent, name);
    if (!match) return std::nullopt;
    if (match->empty()) return HostPath{root, exact, false};
    if (*match == name || NameExists(exact)) return HostPath{root, exact, true};
    return HostPath{root, Join(parent, {*match}), true};
}

HostPath ResolveCase(const std::string& root, const Parts& parts) {
    std::string exact = Join(root, parts);
    const std::string parent = parts.size() > 1 ? exact.substr(0, exact.rfind('/')) : "";
    if (!parent.empty()) {
        if (auto kept = ResolveInKeptFolder(root, parent, parts.back(), exact)) return *kept;
    }
    if (auto status = LinkStatus(exact)) return {root, exact, true, status};
    // A new file in a folder that exists as named: only its name is looked up.
    if (!parent.empty()) {
        if (auto match = MatchIgnoringCase(parent, parts.back())) {
            if (match->empty()) return {root, exact, false};
            return {root, Join(parent, {*match}), true};
        }
    }
    std::string path = root;
    for (size_t i = 0; i < parts.size(); ++i) {
        std::string next = Join(path, {parts[i]});
        if (next == exact || !NameExists(next)) {  // exact is known to be missing
            auto match = MatchIgnoringCase(path, parts[i]);
            if (!match || match->empty()) return {root, Join(path, parts, i), false};
            next = Join(path, {*match});
        }
        path = next;
    }
    return {root, path, !parts.empty()};
}

}  // namespace

HostPath MapToHost(const std::string& windowsPath) {
    auto [root, parts] = Parse(Utf8FromCp932(windowsPath));
    return ResolveCase(root, parts);
}

std::optional<HostPath> MapIfValid(const std::string& windowsPath) {
    try {
        return MapToHost(windowsPath);
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::optional<std::string> HostPathIfValid(const std::string& windowsPath) {
    auto host = MapIfValid(windowsPath);
    return host ? std::optional(std::move(host->path)) : std::nullopt;
}

std::optional<struct stat> StatOfPath(const std::string& windowsPath) {
    auto host = MapIfValid(windowsPath);
    if (!host) return std::nullopt;
    if (host->status && !S_ISLNK(host->status->st_mode)) return host->status;  // no link: stat() says the same
    struct stat info;
    if (stat(host->path.c_str(), &info) != 0) return std::nullopt;
    return info;
}

std::optional<struct stat> LinkStatusOf(const HostPath& host) {
    if (!host.exists) return std::nullopt;
    return host.status ? host.status : LinkStatus(host.path);
}

bool IsWindowsName(const std::string& hostName) {
    return hostName.find('\\') == std::string::npos;
}

}  // namespace qi::platform::posix

namespace qi::platform {

std::string NativePath(const std::string& path) { return posix::MapToHost(path).path; }

std::string FromNativePath(const std::string& nativePath) {
    using namespace posix;
    std::string absolute = nativePath.starts_with('/') ? nativePath : CurrentDirectory() + "/" + nativePath;
    Parts parts;
    AppendParts(parts, absolute, "/");
    for (const auto& part : parts) {
        if (!IsWindowsName(part)) throw Error("a host path with \"\\\" in a name has no Windows path");
    }
    std::string path = Join("/", parts);
    std::string cRoot = DriveCRoot();
    if (!IsInside(path, cRoot)) {
        if (char* resolved = realpath(path.c_str(), nullptr)) {  // the root reached through a link
            if (IsInside(resolved, cRoot)) path = resolved;
            free(resolved);
        }
    }
    std::string windows = IsInside(path, cRoot) ? "C:" + path.substr(cRoot.size()) : "Z:" + path;
    if (windows.size() == 2) windows += '/';
    for (char& c : windows) {
        if (c == '/') c = '\\';
    }
    return Cp932FromUtf8(windows);
}

}  // namespace qi::platform
