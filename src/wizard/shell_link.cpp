// Shortcuts in the shell's special folders and the shell's file operation,
// over the platform's shell services.
#include "wizard/shell_link.h"

#include "archive/vrfiles.h"
#include "base/cp932.h"
#include "base/path_helpers.h"
#include "platform/file_helpers.h"
#include "platform/platform.h"

namespace qi {

namespace {

// A sub-folder or shortcut name comes from the game's settings: it must stay
// below the special folder, or deleting the shortcuts would empty the whole
// menu.
bool StaysInside(const std::string& subPath) {
    try {
        CheckEntryPath(subPath);
        return true;
    } catch (const Error&) {
        return false;
    }
}

// The sub-folder below the special folder, where shortcuts are made and
// removed; empty when it would leave the special folder or passes through a
// link (which would lead the writes and deletions elsewhere).
std::string OwnSubFolder(const std::string& special, const std::string& subDir) {
    if (subDir.empty() || !StaysInside(subDir) || PassesThroughLink(special, AddBackslash(subDir))) return {};
    return special + AddBackslash(subDir);
}

bool HasDelimiter(const std::string& name) {
    for (size_t i = 0; i < name.size(); i += CharLength(name, i)) {
        if (name[i] == '\\' || name[i] == '/') return true;
    }
    return false;
}

std::string WithoutTrailingDelimiter(const std::string& folder) {
    return !folder.empty() && IsPathDelimiter(folder, folder.size() - 1) ? folder.substr(0, folder.size() - 1)
                                                                          : folder;
}

void DeleteTree(const std::string& folder) {
    for (const auto& entry : platform::ListDirectory(folder)) {
        std::string path = folder + entry.name;
        if (entry.attributes & platform::kAttrDirectory) {
            DeleteTree(path + "\\");
        } else {
            platform::RemoveFile(path);
        }
    }
    platform::RemoveFolder(folder);
}

int ShowCommand(TWindowState state) {
    switch (state) {
        case TWindowState::wsMinimized: return 6;
        case TWindowState::wsMaximized: return 3;
        default: return 1;
    }
}

}  // namespace

uint16_t ShellHotKeyWord(uint16_t hotKey) {
    uint16_t word = hotKey & 0x1FFF;
    if (hotKey & scShift) word |= 0x100;
    if (hotKey & scCtrl) word |= 0x200;
    if (hotKey & scAlt) word |= 0x400;
    return word;
}

void TShellLink::SetFileName(const std::string& value) {
    if (value == fileName_) return;
    fileName_ = value;
    if (Description.empty()) {
        std::string name = ExtractFileName(value);
        Description = name.substr(0, name.size() - ExtractFileExt(name).size());
    }
    if (WorkDir.empty()) {
        std::string folder = ExtractFilePath(value);
        // A drive root keeps its delimiter.
        WorkDir = folder.size() == 3 && folder[1] == ':' ? folder : WithoutTrailingDelimiter(folder);
    }
}

std::string TShellLink::SpecialFolderPath() const {
    std::string folder = platform::SpecialFolder(static_cast<int>(LinkType));
    if (folder.empty()) throw EShellLinkError("Error in GetSpecialFolderLocation");
    return AddBackslash(folder);
}

void TShellLink::CreateLink() {
    if (fileName_.empty()) SetFileName(platform::ModuleFileName());
    platform::ShellLinkData data;
    data.hotKey = ShellHotKeyWord(HotKey);
    std::string folder = SpecialFolderPath();
    if (!SubDir.empty()) {
        if (!StaysInside(SubDir)) throw EShellLinkError(SubDir + ":フォルダの外を指すフォルダ名です");
        folder = OwnSubFolder(folder, SubDir);
        if (folder.empty()) throw EShellLinkError(SubDir + ":フォルダがリンクです");
    }
    if (!StaysInside(Name) || HasDelimiter(Name)) throw EShellLinkError(Name + ":ショートカット名が正しくありません");
    platform::CreateFolders(folder);
    std::string linkPath = folder + Name + ".lnk";
    if (linkPath.size() > 260) throw EShellLinkError(linkPath + ":ショートカットのパスが長すぎます");
    data.description = Description;
    data.target = fileName_;
    data.workDir = WorkDir;
    data.arguments = Arguments;
    data.showCommand = ShowCommand(WindowState);
    data.iconFile = fileName_;
    data.iconIndex = IconIndex;
    if (!platform::SaveShellLink(linkPath, data)) throw EShellLinkError("Error in QueryInterface");
}

void TShellLink::OpenFolder() {
    std::string folder = SpecialFolderPath();
    if (!SubDir.empty() && StaysInside(SubDir)) folder += AddBackslash(SubDir);
    platform::OpenFolderWindow(folder);
}

void TShellLink::DeleteFolder() {
    const std::string folder = OwnSubFolder(SpecialFolderPath(), SubDir);
    if (!folder.empty()) DeleteTree(folder);
}

void TShellLink::DeleteLinks(const std::vector<std::string>& names) {
    const std::string folder = OwnSubFolder(SpecialFolderPath(), SubDir);
    if (folder.empty()) return;
    for (const auto& name : names) {
        if (StaysInside(name) && !HasDelimiter(name)) platform::RemoveShellLink(folder + name + ".lnk");
    }
    platform::RemoveFolder(folder);
}

void CreateShortcut(const std::string& name, const std::string& target, const std::string& arguments, int iconIndex,
                    uint16_t hotKey, TWindowState windowState, const std::string& subDir, TShellLinkType linkType,
                    const std::string& workDir, const std::string& description) {
    TShellLink link;
    link.Name = name;
    link.AssignFileName(target);
    link.Arguments = arguments;
    link.IconIndex = iconIndex;
    link.HotKey = hotKey;
    link.WindowState = windowState;
    link.SubDir = subDir;
    link.LinkType = linkType;
    link.WorkDir = workDir;
    link.Description = description;
    link.CreateLink();
}

void OpenShortcutFolder(TShellLinkType linkType, const std::string& subDir) {
    TShellLink link;
    link.LinkType = linkType;
    link.SubDir = subDir;
    link.OpenFolder();
}

void DeleteShortcutFolder(TShellLinkType linkType, const std::string& subDir) {
    TShellLink link;
    link.LinkType = linkType;
    link.SubDir = subDir;
    link.DeleteFolder();
}

void DeleteShortcuts(TShellLinkType linkType, const std::string& subDir, const std::vector<std::string>& names) {
    TShellLink link;
    link.LinkType = linkType;
    link.SubDir = subDir;
    link.DeleteLinks(names);
}

unsigned TFileOperation::ShellFlags() const {
    static const unsigned bits[] = {0x1, 0x2, 0x4, 0x8, 0x10, 0, 0x40, 0x80, 0x100, 0x200, 0x400};
    unsigned flags = 0;
    for (TFileOpFlag option : Options) flags |= bits[option];
    return flags;
}

bool TFileOperation::Execute(unsigned operation, const std::string& from, const std::string& to) const {
    return platform::ShellFileOperation(operation, from, to, ShellFlags(), Title);
}

std::string ShellNameList(const std::vector<std::string>& names) {
    std::string list;
    for (const auto& name : names) list += name + '\0';
    return list + '\0';
}

}  // namespace qi
