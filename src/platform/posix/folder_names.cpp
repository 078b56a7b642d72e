#include "platform/posix/folder_names.h"

#include <dirent.h>
#include <sys/stat.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace qi::platform::posix {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kFoldersKept = 64;

// A folder's time read right after this program's own change there stands
// for the look-ups of the next millisecond: the file written after a
// change is not preceded by a second look at the folder. A change from
// outside in that time is seen at the next look, as one made between a look
// and the change that follows it is.
constexpr auto kNotedStands = std::chrono::milliseconds(1);

struct Listing {
    timespec changed{};
    Clock::time_point noted{};  // when this program's last change read the time
    std::unordered_map<std::string, std::string> names;  // folded name -> name
};

bool JustNoted(const Listing& listing) { return Clock::now() - listing.noted < kNotedStands; }

std::string FoldAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The status change time, which no program can set back (a modification
// time can be), and which a file system with fine-grained times makes new
// for the first change after it was read.
std::optional<timespec> ChangeTime(const std::string& folder) {
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
    return info.st_ctim;
}

bool Same(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// Of names that fold alike, the first the folder lists is kept.
Listing Read(const std::string& folder, const timespec& changed) {
    Listing listing{changed, {}, {}};
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) listing.names.try_emplace(FoldAscii(entry->d_name), entry->d_name);
        closedir(dir);
    }
    return listing;
}

// The listed name that matches name ignoring case; empty when none.
std::string NameIn(const Listing& listing, const std::string& name) {
    auto found = listing.names.find(FoldAscii(name));
    return found == listing.names.end() ? std::string() : found->second;
}

std::mutex guard;
std::unordered_map<std::string, Listing> listings;

}  // namespace

std::optional<std::string> MatchIgnoringCase(const std::string& folder, const std::string& name) {
    std::lock_guard<std::mutex> lock(guard);
    auto kept = listings.find(folder);
    if (kept != listings.end() && JustNoted(kept->second)) return NameIn(kept->second, name);
    auto changed = ChangeTime(folder);
    if (!changed) return std::nullopt;
    if (kept == listings.end() || !Same(kept->second.changed, *changed)) {
        if (kept == listings.end() && listings.size() >= kFoldersKept) listings.clear();
        kept = listings.insert_or_assign(folder, Read(folder, *changed)).first;
    }
    return NameIn(kept->second, name);
}

std::optional<std::string> KeptMatchIgnoringCase(const std::string& folder, const std::string& name) {
    std::lock_guard<std::mutex> lock(guard);
    auto kept = listings.find(folder);
    if (kept == listings.end()) return std::nullopt;
    if (!JustNoted(kept->second)) {
        auto changed = ChangeTime(folder);
        if (!changed || !Same(kept->second.changed, *changed)) return std::nullopt;
    }
    return NameIn(kept->second, name);
}

namespace {

// Brings the listing of path's folder, when one is kept, up to date with a
// change this program made there: the name added or taken out. A folder's
// time is read once per change (a rename within one folder touches it
// twice). The guard is held.
class Notes {
public:
    void Note(const std::string& path, bool made) {
        const size_t slash = path.rfind('/');
        if (slash == std::string::npos) return;
        const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
        auto kept = listings.find(folder);
        if (kept == listings.end()) return;
        if (folder != timed_) {
            timed_ = folder;
            changed_ = ChangeTime(folder);
        }
        if (!changed_) return;
        std::string name = path.substr(slash + 1);
        auto& names = kept->second.names;
        if (made) {
            names.try_emplace(FoldAscii(name), std::move(name));
        } else if (auto found = names.find(FoldAscii(name)); found != names.end() && found->second == name) {
            names.erase(found);
        }
        kept->second.changed = *changed_;
        kept->second.noted = Clock::now();
    }

private:
    std::string timed_;
    std::optional<timespec> changed_;
};

}  // namespace

bool ChangeNoted(const std::function<bool()>& change, const std::string& removed, const std::string& made) {
    std::lock_guard<std::mutex> lock(guard);
    if (!change()) return false;
    Notes notes;
    if (!removed.empty()) notes.Note(removed, false);
    if (!made.empty()) notes.Note(made, true);
    return true;
}

}  // namespace qi::platform::posix
