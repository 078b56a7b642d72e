#include "release/game_files.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/path_helpers.h"
#include "base/wildcard.h"
#include "platform/file_helpers.h"
#include "platform/platform.h"
#include "release/release_error.h"
#include "streams/stream.h"
#include "wizard/form_type.h"

namespace qi {

namespace {

std::string Shown(const std::string& cp932) { return platform::Utf8FromCp932(cp932); }

[[noreturn]] void Fail(const ReleaseProject& project, const std::string& what) {
    throw ReleaseError(platform::NativePath(project.ProjectFile) + ": " + what);
}

std::vector<std::string> ListGame(const ReleaseProject& project) {
    if (!platform::DirectoryExists(project.GameFolder)) {
        Fail(project, "\"game\": no such folder: " + platform::NativePath(project.GameFolder));
    }
    std::vector<std::string> unwritable;
    std::vector<std::string> names = FilesBelow(project.GameFolder, &unwritable);
    if (!unwritable.empty()) Fail(project, "'" + unwritable[0] + "' has a name code page 932 cannot hold");
    std::sort(names.begin(), names.end());
    return names;
}

void RefuseCaseTwins(const ReleaseProject& project, const std::vector<std::string>& names) {
    std::vector<std::pair<std::string, const std::string*>> keys;
    keys.reserve(names.size());
    for (const std::string& name : names) keys.emplace_back(UpperCase(name), &name);
    std::sort(keys.begin(), keys.end());
    for (size_t i = 1; i < keys.size(); ++i) {
        if (keys[i - 1].first != keys[i].first) continue;
        Fail(project, "'" + Shown(*keys[i - 1].second) + "' and '" + Shown(*keys[i].second) +
                          "' differ only in case; an installation can hold only one of them");
    }
}

void RefuseReservedNames(const ReleaseProject& project, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (IsReleaseFileName(name)) {
            Fail(project, "'" + Shown(name) + "' in the game folder is a name the release writes itself");
        }
    }
}

bool MatchesAny(const std::vector<std::string>& patterns, const std::string& name) {
    return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& p) { return WildcardMatch(p, name); });
}

void RefuseIdlePatterns(const ReleaseProject& project, const char* key, const std::vector<std::string>& patterns,
                        const std::vector<std::string>& names) {
    for (const std::string& pattern : patterns) {
        const bool used = std::any_of(names.begin(), names.end(), [&](const std::string& n) { return WildcardMatch(pattern, n); });
        if (!used) Fail(project, "\"" + std::string(key) + "\": the pattern '" + Shown(pattern) + "' matches no file");
    }
}

void RequireFile(const ReleaseProject& project, const char* key, const std::string& name,
                 const std::vector<std::string>& names) {
    if (name.empty()) return;
    const bool found = std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameText(n, name); });
    if (!found) Fail(project, "\"" + std::string(key) + "\": '" + Shown(name) + "' is not in the game folder");
}

Component ComponentOf(const ReleaseProject& project, const std::string& name) {
    const TQuorInstallSet& s = project.Settings;
    if (SameText(name, s.ExeFile) || SameText(name, s.ReadmeFile)) return Component::Program;
    const bool patterns = !project.ArchivePatterns.empty();
    if (patterns && MatchesAny(project.ArchivePatterns, name)) return Component::Data;
    switch (MediaKindOfExt(ExtractFileExt(name))) {
        case 1: return Component::Sound;
        case 2: return Component::Movie;
        default: break;
    }
    if (patterns || SameText(ExtractFileExt(name), ".exe") || SameText(ExtractFileExt(name), ".dll")) {
        return Component::Program;
    }
    return Component::Data;
}

}  // namespace

bool IsReleaseFileName(const std::string& name) {
    for (const char* own : {"install.exe", "install.dat", "autorun.inf", "autorun.ico", "game.dat", "game.ext"}) {
        if (SameText(name, own)) return true;
    }
    return name.size() == 8 && SameText(name.substr(0, 5), "game.") &&
           std::all_of(name.begin() + 5, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<GameFile> ScanGame(const ReleaseProject& project) {
    const std::vector<std::string> names = ListGame(project);
    RefuseCaseTwins(project, names);
    RefuseReservedNames(project, names);
    RequireFile(project, "exe", project.Settings.ExeFile, names);
    RequireFile(project, "readme", project.Settings.ReadmeFile, names);
    RefuseIdlePatterns(project, "archive", project.ArchivePatterns, names);
    RefuseIdlePatterns(project, "loose", project.LoosePatterns, names);
    std::vector<GameFile> files;
    files.reserve(names.size());
    for (const std::string& name : names) {
        GameFile file;
        file.Name = name;
        file.Size = TFileStream(project.GameFolder + name, fmOpenRead | fmShareDenyWrite).Size();
        file.Time = platform::GetFileDosTime(project.GameFolder + name).value_or(0);
        file.Part = ComponentOf(project, name);
        file.Loose = file.Part == Component::Data && MatchesAny(project.LoosePatterns, name);
        files.push_back(std::move(file));
    }
    return files;
}

}  // namespace qi
