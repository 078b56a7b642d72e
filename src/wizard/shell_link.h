#pragma once
// Shortcuts in the shell's special folders, and the shell's file operation.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/error.h"

namespace qi {

// The shell's special folders by their folder numbers.
enum TShellLinkType {
    lnkDesktop, lnkReserved1, lnkPrograms, lnkControls, lnkPrinters, lnkPersonal, lnkFavorites,
    lnkStartup, lnkRecent, lnkSendTo, lnkBitBucket, lnkStartMenu, lnkReserved2, lnkReserved3,
    lnkReserved4, lnkReserved5, lnkDesktopDirectory, lnkDrives, lnkNetwork, lnkNetHood, lnkFonts,
    lnkTemplates, lnkCommonStartMenu, lnkCommonPrograms, lnkCommonStartup, lnkCommonDesktopDirectory,
    lnkAppData, lnkPrintHood
};

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

// Short-cut values: key code in the low byte plus these modifier bits.
constexpr uint16_t scShift = 0x2000;
constexpr uint16_t scCtrl = 0x4000;
constexpr uint16_t scAlt = 0x8000;

class EShellLinkError : public Error {
public:
    using Error::Error;
};

// The shell's hot-key word of a short-cut value: the key with its
// modifiers moved to 0x100 Shift, 0x200 Ctrl and 0x400 Alt.
uint16_t ShellHotKeyWord(uint16_t hotKey);

class TShellLink {
public:
    std::string Arguments;
    std::string Description;
    uint16_t HotKey = 0;
    int IconIndex = 0;
    TShellLinkType LinkType = lnkDesktop;
    TWindowState WindowState = TWindowState::wsNormal;
    std::string WorkDir;
    std::string SubDir;
    // The shortcut's file name without ".lnk".
    std::string Name;

    const std::string& FileName() const { return fileName_; }
    // Stores the target; an empty Description takes the target's name
    // without extension, an empty WorkDir the target's folder.
    void SetFileName(const std::string& value);
    // Assigns the target as it is, leaving the other properties alone.
    void AssignFileName(const std::string& value) { fileName_ = value; }

    // Writes the shortcut into the special folder (below SubDir, created as
    // needed). A SubDir or Name that would leave the special folder is
    // refused with an error.
    void CreateLink();
    void OpenFolder();
    // Deletes SubDir of the special folder with everything in it; nothing
    // happens when SubDir is empty or would leave the special folder.
    void DeleteFolder();
    // Deletes the named shortcuts of SubDir, then SubDir when that left it
    // empty: what else the folder holds is not the installation's own.
    void DeleteLinks(const std::vector<std::string>& names);

private:
    std::string SpecialFolderPath() const;
    std::string fileName_;
};

void CreateShortcut(const std::string& name, const std::string& target, const std::string& arguments, int iconIndex,
                    uint16_t hotKey, TWindowState windowState, const std::string& subDir, TShellLinkType linkType,
                    const std::string& workDir, const std::string& description);
void OpenShortcutFolder(TShellLinkType linkType, const std::string& subDir);
void DeleteShortcutFolder(TShellLinkType linkType, const std::string& subDir);
// The shortcuts an installation made, and their folder when that is left empty.
void DeleteShortcuts(TShellLinkType linkType, const std::string& subDir, const std::vector<std::string>& names);

enum TFileOpFlag {
    fofMultiDestFiles, fofConfirmMouse, fofSilent, fofRenameOnCollision, fofNoConfirmation,
    fofWantMappingHandle, fofAllowUndo, fofFilesOnly, fofSimpleProgress, fofNoConfirmMkdir, fofNoErrorUI
};
using TFileOpFlags = std::set<TFileOpFlag>;

// Operation codes of the shell's file operation.
constexpr unsigned foMove = 1, foCopy = 2, foDelete = 3, foRename = 4;

class TFileOperation {
public:
    std::vector<std::string> FromFiles;
    std::vector<std::string> ToFiles;
    TFileOpFlags Options{fofAllowUndo, fofFilesOnly};
    std::string Title;

    // The shell's flag bits of Options (a mapping handle is never asked for).
    unsigned ShellFlags() const;
    // Hands the operation to the shell with the source and destination
    // names as given (see ShellNameList); true when the user aborted any
    // part of it.
    bool Execute(unsigned operation, const std::string& from, const std::string& to) const;
};

// Names joined by NUL characters and ended by a double NUL, as the shell
// takes them.
std::string ShellNameList(const std::vector<std::string>& names);

}  // namespace qi
