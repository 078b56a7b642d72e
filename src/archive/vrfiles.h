#pragma once
// The game-data archive: its directory of entries, the containers it comes
// in (archive file with volumes and side-car directory, executable with the
// archive appended, program resource), extraction of one entry, and the
// writing, merging and checking of data files.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "archive/codec.h"
#include "archive/hash_collection.h"
#include "streams/big_stream.h"
#include "streams/stream.h"

namespace qi {

// Name of the entry that follows the last real one after a directory read.
inline const std::string kEOFEntryName = "\\EOF\\";
// Every directory written here has this version.
constexpr int32_t ArchiveVersion = 102;
// Contents of this size or larger are stored without compression.
constexpr int64_t StoreLimit = 0x500000;

// The small fields come first: they fill the end of the base class.
class TVrFile : public THashCollectionItem {
public:
    int32_t FileTime = 0;
    uint32_t Checksum = 0;  // CRC-32 of the entry; 0 when it carries none
    uint8_t Stored = 0;     // 1: the bytes are the content; 0: a zlib stream
    uint8_t LooseFile = 0;
    int64_t Offset = 0;
    int64_t Size = 0;
    // When set, the writer takes the entry's content from here.
    std::unique_ptr<TStream> SourceStream;
};

class TVrFileCollection;

// An entry written out passed the size it was allowed.
class EOutputLimit : public Error {
public:
    using Error::Error;
};

// Progress of the long archive operations; setting cancel stops them.
using VrProgressEvent = std::function<void(TVrFileCollection& sender, TVrFile* item, int64_t size, int index,
                                            int count, bool& cancel)>;

class TVrFileCollection : public THashCollection {
public:
    TVrFileCollection() = default;
    ~TVrFileCollection() override;

    TVrFile& Items(int index) const { return static_cast<TVrFile&>(Item(index)); }
    TVrFile& Add(std::string name);

    // Opens an archive file (or an executable carrying one); a name that is
    // not an existing file is taken as a folder of loose files unless
    // treatAsFile is set. An empty name just closes the archive.
    void Open(const std::string& fileName, bool treatAsFile = false);
    // Opens the archive a program file carries after its program part,
    // whatever the program's name (a Linux program has no ".exe").
    void OpenAppended(const std::string& programFile);
    // Opens the archive held by the resource (resName, resType) of a program
    // file; a program file that does not exist leaves the collection empty.
    void OpenResource(const std::string& moduleFileName, const std::string& resName, const std::string& resType);
    // Reads a directory starting at source's position. Every count, length,
    // offset and size is checked against the bytes the archive holds: a
    // directory that does not fit raises an error naming the archive.
    void ReadDirectory(TQsBigStream& source);

    // Fills dest with the content of the entry, or of the loose file of that
    // name below BasePath when the archive lacks it; dest's position is 0
    // afterwards. Entries pass through fixed buffers whatever their size
    // (into memory as a whole), and an entry's checksum is checked: damaged
    // bytes raise EDataDamaged naming the entry.
    void ExtractToStream(TStream& dest, const std::string& name);
    // The same into the file path (its folder must exist), with the write
    // time dosTime (0: the time of writing). The file is written without a
    // name or under a name of its own first, so that a failed extraction
    // leaves nothing under path and an older file there is kept. With
    // maxSize not negative, the writing stops with EOutputLimit as the
    // content passes maxSize bytes (a few bytes of zlib can stand for
    // gigabytes). Returns the content's size.
    int64_t ExtractToFile(const std::string& name, const std::string& path, int64_t maxSize = -1,
                          uint32_t dosTime = 0);

    // Writing and checking.
    bool WriteArchive(TQsBigFileStream& dest);
    void WriteEntryData(TVrFile& item, TQsBigFileStream& dest);
    bool MergeUpdate(TVrFileCollection& update);
    // True when every checksummed entry matches; on false, failedIndex (when
    // given) receives the index of the first entry that did not.
    bool Verify(int* failedIndex = nullptr);

    std::string BasePath;
    // WriteArchive makes entries ready on this many threads; the archive is
    // the same whatever the number.
    int Jobs = 1;
    std::unique_ptr<TQsBigStream> Stream;
    VrProgressEvent OnProgress;
    // Told "エラー:" and the entry's name when writing an entry fails, before
    // the error goes on to the caller (the wizard shows it in a message box).
    std::function<void(const std::string& message)> OnEntryError;
    std::string FileName;
    // The program file whose resource is open; empty for the running program.
    std::string ModuleHandle;
    TVrFile* EOFEntry = nullptr;
    // Version of the directory read last (0 for the oldest form).
    int32_t Version = 0;

    // How the archive is named in messages.
    std::string ArchiveName() const;

protected:
    std::unique_ptr<THashCollectionItem> CreateItem() override { return std::make_unique<TVrFile>(); }

private:
    void CloseArchive();
    void OpenFile(const std::string& fileName, bool treatAsFile, bool appended);
    // Writes the entry's content into dest and checks its checksum.
    void ExtractEntry(const TVrFile& entry, TStream& dest);
    // ExtractToStream from dest's position on, which stays after the content.
    void ExtractAtPosition(TStream& dest, const std::string& name);
    bool ContentMatches(const TVrFile& item);
    std::string SourceName;
};

// The side-car directory beside a data file: its name with extension ".ext".
std::string SideCarFileName(const std::string& archiveFileName);

// Whether the content of an entry is worth compressing: layered images when
// they keep their planes raw, other files unless media or StoreLimit large.
bool ShouldCompress(const TVrFile& item, TStream& content);
// Appends the archive file to the executable with the 6-byte trailer (the
// program part's length and "qr"); on failure the executable is cut back.
void AppendArchiveToExe(const std::string& exeFileName, const std::string& archiveFileName);

// Refuses (with an error naming it) an entry name that would not stay below
// the folder it is written to: an empty name or step, a ".." step (or any
// step made of dots and blanks only), a rooted name or one with a drive or
// stream colon.
void CheckEntryPath(const std::string& name);

// zlib-format compression at the fastest level in place; M's position is at
// its end afterwards.
void CompressMemoryStream(TMemoryStream& m);
// Inflates a zlib stream in place; position 0 afterwards. A damaged or cut
// stream, or one that inflates to more than maxSize bytes (a few bytes of
// zlib can stand for gigabytes), raises an error naming entryName (when
// given).
constexpr int64_t kMaxInflatedSize = int64_t{1} << 30;
void DecompressMemoryStream(TMemoryStream& m, const std::string& entryName = std::string(),
                            int64_t maxSize = kMaxInflatedSize);
// CRC-32 of the whole stream (position at its end afterwards).
uint32_t StreamCrc32(TStream& s);
// CRC-32 of the next count bytes of s, read in pieces of bufferSize bytes;
// raises an error when s ends before count bytes.
uint32_t BigStreamCrc32(TQsBigStream& s, int64_t count, uint8_t* buffer, int64_t bufferSize);
// The executable in folder whose appended archive carries settings with
// this title, or the empty string.
std::string FindArchiveByTitle(const std::string& folder, const std::string& title);

}  // namespace qi
