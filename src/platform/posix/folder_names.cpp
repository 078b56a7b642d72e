#include "platform/posix/folder_names.h"

#include <dirent.h>
#include <sys/stat.h>

#include <mutex>
#include <optional>
#include <unordered_map>

namespace qi::platform::posix {
namespace {

constexpr size_t kFoldersKept = 64;

struct Listing {
    timespec changed{};
    std::unordered_map<std::string, std::string> names;  // folded name -> name
};

std::string FoldAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::optional<timespec> ChangeTime(const std::string& folder) {
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
    return info.st_mtim;
}

bool Same(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// Of names that fold alike, the first the folder lists is kept.
Listing Read(const std::string& folder, const timespec& changed) {
    Listing listing{changed, {}};
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) listing.names.try_emplace(FoldAscii(entry->d_name), entry->d_name);
        closedir(dir);
    }
    return listing;
}

std::mutex guard;
std::unordered_map<std::string, Listing> listings;

}  // namespace

std::string MatchIgnoringCase(const std::string& folder, const std::string& name) {
    auto changed = ChangeTime(folder);
    if (!changed) return {};
    std::lock_guard<std::mutex> lock(guard);
    auto kept = listings.find(folder);
    if (kept == listings.end() || !Same(kept->second.changed, *changed)) {
        if (kept == listings.end() && listings.size() >= kFoldersKept) listings.clear();
        kept = listings.insert_or_assign(folder, Read(folder, *changed)).first;
    }
    auto found = kept->second.names.find(FoldAscii(name));
    return found == kept->second.names.end() ? std::string() : found->second;
}

void NoteNameMade(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return;
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    std::lock_guard<std::mutex> lock(guard);
    auto kept = listings.find(folder);
    if (kept == listings.end()) return;
    auto changed = ChangeTime(folder);
    if (!changed) return;
    const std::string name = path.substr(slash + 1);
    kept->second.names.try_emplace(FoldAscii(name), name);
    kept->second.changed = *changed;
}

}  // namespace qi::platform::posix
