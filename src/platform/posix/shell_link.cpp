// Shortcuts as desktop entries: a shortcut in the Programs menu becomes a
// menu entry of the desktop. A Windows program is started through wine, a
// host program directly and a document with xdg-open; the working folder,
// the description and an icon go with it. Hot keys and window states have
// no place in a desktop entry and are left out.
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/native_fs.h"
#include "platform/posix/program_kinds.h"

namespace qi::platform {
namespace {

// One argument of an Exec line, quoted as the desktop-entry rules ask.
std::string Quoted(const std::string& argument) {
    std::string out = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// A value of the entry: backslashes and line breaks escaped; in the Exec
// line a "%" would start a field code and is doubled.
std::string Value(const std::string& text, bool exec = false) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '%': out += exec ? "%%" : "%"; break;
            default: out += c;
        }
    }
    return out;
}

std::string ExecLine(const ShellLinkData& link) {
    std::string native = NativePath(link.target);
    std::string line;
    // A host program is started as itself even under a Windows name: the
    // "install.exe" in an install folder is the Linux setup program.
    if (posix::IsHostProgram(native)) {
        line = Quoted(native);
    } else if (posix::IsWindowsProgramName(link.target)) {
        line = "wine " + Quoted(native);
    } else if (access(native.c_str(), X_OK) == 0 && !posix::IsDirectory(native)) {
        line = Quoted(native);
    } else {
        return "xdg-open " + Quoted(native);
    }
    for (const auto& argument : SplitCommandLine(Utf8FromCp932(link.arguments))) line += " " + Quoted(argument);
    return line;
}

std::string IconValue(const ShellLinkData& link) {
    std::string extension = posix::LowerExtension(link.iconFile);
    if (extension == ".png" || extension == ".svg" || extension == ".xpm" || extension == ".ico") {
        return NativePath(link.iconFile);
    }
    return posix::IsWindowsProgramName(link.target) && !posix::IsHostProgram(NativePath(link.target)) ? "wine" : "";
}

// The desktop entry that stands for a shortcut file.
std::string DesktopEntryPath(const std::string& linkPath) {
    std::string entryPath = linkPath;
    if (posix::LowerExtension(entryPath) == ".lnk") entryPath.resize(entryPath.size() - 4);
    return entryPath + ".desktop";
}

}  // namespace

bool SaveShellLink(const std::string& linkPath, const ShellLinkData& link) {
    const std::string entryPath = DesktopEntryPath(linkPath);
    std::string name = entryPath.substr(0, entryPath.size() - 8);
    if (size_t slash = name.find_last_of('\\'); slash != std::string::npos) name = name.substr(slash + 1);

    std::string text = "[Desktop Entry]\nType=Application\n";
    text += "Name=" + Value(Utf8FromCp932(name)) + "\n";
    if (!link.description.empty()) text += "Comment=" + Value(Utf8FromCp932(link.description)) + "\n";
    text += "Exec=" + Value(ExecLine(link), true) + "\n";
    if (!link.workDir.empty()) text += "Path=" + Value(NativePath(link.workDir)) + "\n";
    std::string icon = IconValue(link);
    if (!icon.empty()) text += "Icon=" + Value(icon) + "\n";
    text += "Terminal=false\n";

    auto file = OpenFile(entryPath, Access::Write, Share::None, Disposition::CreateAlways);
    if (file->Write(text.data(), static_cast<int64_t>(text.size())) != static_cast<int64_t>(text.size())) {
        throw Error(entryPath + ": cannot be written");
    }
    return true;
}

bool RemoveShellLink(const std::string& linkPath) { return RemoveFile(DesktopEntryPath(linkPath)); }

bool DesktopAvailable() {
    const char* x11 = getenv("DISPLAY");
    const char* wayland = getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

void OpenFolderWindow(const std::string& folder) {
    if (DesktopAvailable()) ShellOpen(folder, "", folder);
}

}  // namespace qi::platform
