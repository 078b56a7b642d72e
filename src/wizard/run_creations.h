#pragma once
// What a fresh installation run puts into the install folder, so that a run
// that stops half way (aborted, or ended by an error) can take it back: the
// names the install record gained during the run, save those that stood in
// the folder before, the data file the run started, and the folders it
// made. A file that was there before the run is never removed, nor anything
// reached through a link.
#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

#include "settings/install_set.h"

namespace qi {

class RunCreations {
public:
    // folder: the install folder, with a trailing delimiter. A run that is
    // not fresh (an update) takes nothing back: enabled false.
    RunCreations(const TQuorInstallSet& settings, std::string folder, bool enabled);

    // Before the run writes the file of that recorded name (relative to the
    // install folder).
    void BeforeWrite(const std::string& relative);
    // A recorded name the run leaves alone, whatever becomes of it.
    void Keep(const std::string& relative);
    // Before the run creates the folder path and its parents.
    void BeforeCreateFolders(const std::string& path);
    // A file below the install folder that the run made afresh.
    void Own(const std::string& path);
    // Removes what the run made: the files, then its folders that are left
    // empty, deepest first. The number of files removed.
    int TakeBack();

private:
    bool Remove(const std::string& relative);

    const TQuorInstallSet& settings_;
    const std::string folder_;
    const bool enabled_;
    const size_t recordedBefore_;
    std::unordered_set<std::string> existed_;  // recorded names that were there before
    std::vector<std::string> owned_;           // relative names
    std::vector<std::string> folders_;         // full paths, made by the run
};

}  // namespace qi
