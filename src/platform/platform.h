#pragma once
// Everything the system asks of the operating system. Paths and texts are
// byte strings in code page 932; paths are Windows paths ("C:\Games\Title").
// The Windows implementation converts them to UTF-16 for the W calls, so the
// system's own code page does not matter; the Linux implementation maps
// drives and converts names at its boundary.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"

namespace qi::platform {

// ---- Files ------------------------------------------------------------

enum class Access { Read, Write, ReadWrite };
// What other openers of the same file may do while this handle is open.
enum class Share { None, Read, Write, ReadWrite };
// A file created is never written through a link standing at its name:
// CreateAlways refuses such a name, CreateNew refuses any name that exists.
enum class Disposition { OpenExisting, CreateAlways, CreateNew };

class File {
public:
    virtual ~File() = default;
    // Reads up to count bytes; returns the number read (0 at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes count bytes; returns the number written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t position) = 0;
    virtual int64_t Position() = 0;
    virtual int64_t Size() = 0;
    virtual void Truncate() = 0;  // at the current position
    virtual void Flush() = 0;
    // The last write time as a packed DOS date and time (local time).
    virtual std::optional<uint32_t> DosTime() = 0;
};

// Raises qi::Error naming the file when it cannot be opened or created
// (sharing violations included).
std::unique_ptr<File> OpenFile(const std::string& path, Access access, Share share,
                               Disposition disposition, bool writeThrough = false);
// Copies up to count bytes from source's position to dest's position inside
// the kernel, where the system offers such a copy between two files (Linux:
// copy_file_range); both positions advance by the bytes copied, which are
// returned. 0 where it cannot (another system, a file system without it, the
// end of source): the caller copies the rest through a buffer of its own.
int64_t KernelCopy(File& source, File& dest, int64_t count);
// A new file without a name, in the folder of path, for NameUnnamedFile to
// give it path's name once it is written: until then nothing stands at the
// name, and a program that dies on the way leaves nothing behind. nullptr
// where something stands at path already or the system keeps no unnamed
// files (Windows, some file systems): the caller writes under a temporary
// name instead.
std::unique_ptr<File> CreateUnnamedFile(const std::string& path);
// Gives a file from CreateUnnamedFile(path) the write time dosTime (0: the
// time it has) and the name path. False when a file, folder or link has
// taken the name meanwhile: nothing is replaced.
[[nodiscard]] bool NameUnnamedFile(File& file, const std::string& path, uint32_t dosTime);

constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrVolume = 0x08;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

[[nodiscard]] bool FileExists(const std::string& path);       // a file, not a folder
[[nodiscard]] bool DirectoryExists(const std::string& path);
// Removes a file; a link (a symbolic link, or a junction on Windows) is
// removed itself, never what it points to.
bool RemoveFile(const std::string& path);
// Whether the path is a link: a symbolic link, or a junction or other
// reparse point on Windows. Links are never entered, written through or
// deleted through.
[[nodiscard]] bool IsLink(const std::string& path);
enum class NameKind { Missing, File, Folder, Link };
// What stands at path, a link taken as itself: one look where FileExists and
// IsLink would take two.
[[nodiscard]] NameKind KindOfName(const std::string& path);
// As CopyFileA: copies content, attributes and write time; with failIfExists
// an existing destination makes it fail. A link at the destination is
// replaced by the copy, never written through. False on any failure.
[[nodiscard]] bool CopyFileTo(const std::string& source, const std::string& dest, bool failIfExists);
[[nodiscard]] bool RenameFile(const std::string& source, const std::string& dest);  // replaces dest
uint32_t GetAttributes(const std::string& path);  // kInvalidAttributes when missing
// Changes the attributes of the file itself: false for a link, whose
// target is never changed.
bool SetAttributes(const std::string& path, uint32_t attributes);
// Last-write time as packed DOS date (high word) and time (low word), local time.
std::optional<uint32_t> GetFileDosTime(const std::string& path);
// The size of a file (not a folder); nullopt when there is none.
std::optional<int64_t> GetFileSize(const std::string& path);
bool SetFileDosTime(const std::string& path, uint32_t dosTime);
bool CreateFolders(const std::string& path);  // with all parents
// Creates one folder whose parent exists; false when the name is taken
// already, so that of two programs wanting the same new folder only one
// gets it.
[[nodiscard]] bool CreateNewFolder(const std::string& path);
bool RemoveFolder(const std::string& path);    // only when empty

struct DirectoryEntry {
    std::string name;
    uint32_t attributes;
};
// Entries of a folder without "." and "..", in the file system's order. A
// link is listed without the folder bit, so that walks never enter it.
// Empty when the folder does not exist. Entries whose names cannot be
// written in code page 932 are left out; leftOut, when given, receives
// their names in UTF-8.
std::vector<DirectoryEntry> ListDirectory(const std::string& folder, std::vector<std::string>* leftOut = nullptr);

// Bytes free for the user on the volume holding path; nullopt when unknown.
std::optional<int64_t> FreeDiskSpace(const std::string& path);
std::string ShortPathName(const std::string& path);
// Schedules the file for deletion once the current run is over.
bool DeleteOnReboot(const std::string& path);
// Carries out the deletions scheduled by runs that are over. Called once when
// the program starts; does nothing where the system itself deletes the files
// at restart.
void RunPendingDeletions();

// ---- Folders ----------------------------------------------------------

std::string TempFolder();     // with trailing "\"
std::string WindowsFolder();  // without trailing "\"
std::string SystemFolder();   // without trailing "\"
// Shell special folder by CSIDL number; empty when there is none.
std::string SpecialFolder(int csidl);
constexpr int kCsidlPrograms = 0x02;
constexpr int kCsidlPersonal = 0x05;
constexpr int kCsidlStartMenu = 0x0B;
constexpr int kCsidlDesktopDirectory = 0x10;
constexpr int kCsidlAppData = 0x1A;
constexpr int kCsidlLocalAppData = 0x1C;
constexpr int kCsidlCommonPrograms = 0x17;
constexpr int kCsidlCommonDesktopDirectory = 0x19;
constexpr int kCsidlProgramFiles = 0x26;

// Path of the running program file (a Windows path).
std::string ModuleFileName();

// ---- Registry ---------------------------------------------------------

enum class RootKey { CurrentUser, LocalMachine, Users };

class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // nullopt when the value does not exist; raises qi::Error when it exists
    // but is not a string.
    virtual std::optional<std::string> ReadString(const std::string& name) = 0;
    // Raises qi::Error when the value cannot be written.
    virtual void WriteString(const std::string& name, const std::string& value) = 0;
    virtual bool DeleteValue(const std::string& name) = 0;
    virtual std::vector<std::string> SubKeyNames() = 0;
    virtual std::vector<std::string> ValueNames() = 0;
};

// Opens root\path; with create, missing keys are created (HKEY_CURRENT_USER
// only). nullptr when the key does not exist or cannot be opened.
std::unique_ptr<RegistryKey> OpenRegistryKey(RootKey root, const std::string& path, bool create);
// Deletes root\path with all its sub-keys (HKEY_CURRENT_USER only).
bool DeleteRegistryTree(RootKey root, const std::string& path);
// Deletes root\path only when it holds neither sub-keys nor values
// (HKEY_CURRENT_USER only); false when it holds something, is missing or
// cannot be deleted. A key that another program fills meanwhile stays.
bool DeleteEmptyRegistryKey(RootKey root, const std::string& path);

// ---- Named mutexes ----------------------------------------------------

class NamedMutex {
public:
    virtual ~NamedMutex() = default;  // releases and closes
};

// True when a mutex of that name exists (is held by some process).
[[nodiscard]] bool MutexExists(const std::string& name);
// Creates the mutex; nullptr when it already exists or cannot be created.
std::unique_ptr<NamedMutex> CreateNamedMutex(const std::string& name);

// ---- Processes and the shell ------------------------------------------

bool IsUserAdmin();
// True on the Windows NT family (and on Linux, which stands in for it);
// false on Windows 95, 98 and Me.
bool IsWindowsNT();
// Opens a program or document with the "open" verb. Returns the shell's
// result: above 32 on success, an error code (2 = file not found) otherwise.
int ShellOpen(const std::string& file, const std::string& arguments, const std::string& folder);
void SleepMs(unsigned milliseconds);
// Hands this program's place to another: on Linux the program replaces the
// running one (exec), keeping its terminal, its parent and its exit status,
// and this returns only when it could not be started, with ShellOpen's
// error codes. Windows has no such start: the program is opened as
// ShellOpen opens it, and this returns ShellOpen's result.
int ReplaceProgram(const std::string& file, const std::string& arguments);
// Runs a program (searched on the PATH when the name has no folder) with
// these arguments, all in UTF-8, and waits for its end: its exit code, or
// -1 when it could not be started. Its output (standard output and error)
// goes into the file outputFile, created anew.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments, const std::string& outputFile);

// A shortcut as the shell stores it.
struct ShellLinkData {
    std::string description;
    std::string target;
    std::string workDir;
    std::string arguments;
    std::string iconFile;
    int iconIndex = 0;
    // The shell's hot-key word: key code in the low byte, 0x100 Shift,
    // 0x200 Ctrl, 0x400 Alt.
    uint16_t hotKey = 0;
    int showCommand = 1;  // 1 normal, 3 maximized, 6 minimized
};
// Writes the shortcut file linkPath (a name ending in ".lnk"); its folder
// must exist. On Linux a shortcut is a desktop entry, saved under the same
// name with ".desktop" in place of ".lnk": it starts a Windows program
// through wine and opens a document with xdg-open. False when the link
// object offers no way to save itself; raises qi::Error when the object
// cannot be created or the file cannot be written.
[[nodiscard]] bool SaveShellLink(const std::string& linkPath, const ShellLinkData& link);
// Deletes the shortcut file that SaveShellLink(linkPath) wrote.
bool RemoveShellLink(const std::string& linkPath);
// Opens the folder in the file manager. On Linux nothing happens without a
// desktop (neither DISPLAY nor WAYLAND_DISPLAY set).
void OpenFolderWindow(const std::string& folder);
// Whether windows can be shown: always on Windows; on Linux when a desktop
// session is there to show them (DISPLAY or WAYLAND_DISPLAY set).
bool DesktopAvailable();
// The shell's file operation: operation 1 move, 2 copy, 3 delete, 4 rename;
// from and to are names separated by NUL characters and ended by a double
// NUL; flags are the shell's FOF_ bits, title the progress title (used with
// FOF_SIMPLEPROGRESS). True when the user aborted an operation. On Linux
// names are plain paths or a last step "*" or "*.*"; nothing is asked.
[[nodiscard]] bool ShellFileOperation(unsigned operation, const std::string& from, const std::string& to, unsigned flags,
                        const std::string& title);

// Data of the resource (name, type) inside a program file; nullopt when the
// file carries no such resource.
std::optional<std::vector<uint8_t>> LoadModuleResource(const std::string& moduleFile,
                                                       const std::string& name,
                                                       const std::string& type);
// Takes the resource (name, type) out of a program file that no program is
// running from, so that the file no longer carries it; false when it
// carried none or could not be changed.
bool RemoveModuleResource(const std::string& moduleFile, const std::string& name, const std::string& type);

// ---- Text -------------------------------------------------------------

// Conversion between code page 932 and UTF-8; raises qi::Error on a byte
// sequence or character the other side cannot hold.
std::string Utf8FromCp932(const std::string& text);
std::string Cp932FromUtf8(const std::string& text);

// ---- Linux and command-line boundary ----------------------------------

// Puts standard output into binary mode (no newline translation).
void SetBinaryStdout();
// The program's whole command line as the system keeps it (Windows), to be
// split by the program's own rules; nullopt where the system hands over the
// arguments already split (Linux).
std::optional<std::string> RawCommandLine();
// A command line split the way this system's programs split theirs:
// blanks and tabs separate arguments; a double quote starts or ends a
// quoted stretch and is itself removed; a backslash has no special meaning,
// so a quoted folder may end in one ("C:\Disc\"). A pair of quotes alone
// is an empty argument. (Shortcuts and started programs on Linux take their
// argument texts apart the same way.)
std::vector<std::string> SplitCommandLine(const std::string& line);
// True when standard error is a terminal.
bool StderrIsTerminal();
// One line of standard input without its line break, read unbuffered so
// that what this program does not read stays for a program it hands over
// to; false at the end of the input.
[[nodiscard]] bool ReadInputLine(std::string& line);
// True when a line of standard input can be read without waiting (or the
// input has ended).
[[nodiscard]] bool InputWaiting();

// The path of the host's file system that a Windows path stands for, as
// the host's programs write it: UTF-8 (on Windows the same path in UTF-8).
std::string NativePath(const std::string& path);
// The Windows path that a host path (UTF-8) stands for.
std::string FromNativePath(const std::string& nativePath);
// The program's arguments after its name in UTF-8, whatever the system's
// code page (Windows reads them from its UTF-16 command line).
std::vector<std::string> Utf8Arguments(int argc, char** argv);
// Standard output and error show UTF-8 text right on a console (Windows
// switches its console to UTF-8 until the program ends).
void ShowUtf8OnConsole();

}  // namespace qi::platform
