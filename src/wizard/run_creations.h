#pragma once
// What a fresh installation run puts into the install folder, so that a run
// that stops half way (aborted, or ended by an error) can take it back: the
// files it wrote where nothing stood before, the data file it started, and
// the folders it made. A file that was there before the run is never
// removed, nor anything reached through a link.
#include <string>
#include <vector>

namespace qi {

class RunCreations {
public:
    // folder: the install folder, with a trailing delimiter. A run that is
    // not fresh (an update) takes nothing back: enabled false.
    RunCreations(std::string folder, bool enabled);

    // Before the run writes the file of that name (relative to the install
    // folder): it is the run's own when nothing stands there yet.
    void BeforeWrite(const std::string& relative);
    // The same when the caller knows whether a file or link stands there.
    void BeforeWrite(const std::string& relative, bool taken);
    // Before the run creates the folder path and its parents.
    void BeforeCreateFolders(const std::string& path);
    // A file below the install folder that the run made afresh.
    void Own(const std::string& path);
    // Removes what the run made: the files, then its folders that are left
    // empty, deepest first. The number of files removed.
    int TakeBack();

private:
    bool Remove(const std::string& relative);

    const std::string folder_;
    const bool enabled_;
    std::string files_;                // relative names, each ending in a zero byte
    std::vector<std::string> folders_;  // full paths, made by the run
};

}  // namespace qi
