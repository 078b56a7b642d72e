#pragma once
// Streams with 64-bit sizes and positions: the interface, the file stream
// over a chain of volume files, and thin faces over memory and resources.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "streams/stream.h"

namespace qi {

// Every stream provides its size, position, reading and writing; the copies
// between streams do nothing unless a stream knows how.
class TQsBigStream {
public:
    virtual ~TQsBigStream() = default;
    virtual int64_t GetSize() = 0;
    virtual int64_t GetPosition() = 0;
    virtual void SetPosition(int64_t position) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Copies into this stream; a count of 0 copies the whole source.
    virtual int64_t CopyFrom(TQsBigStream&, int64_t) { return 0; }
    virtual int64_t CopyFromStream(TStream&, int64_t) { return 0; }
    // Copies out of this stream.
    virtual int64_t CopyToStream(TStream&, int64_t) { return 0; }
};

constexpr int64_t VolumeSize = 0x40000000;

// One logical stream stored in "game.dat", "game.001", "game.002", ...;
// every volume but the last holds exactly volumeSize bytes.
class TQsBigFileStream : public TQsBigStream {
public:
    TQsBigFileStream(const std::string& fileName, uint16_t mode, int64_t volumeSize = VolumeSize);
    ~TQsBigFileStream() override;

    int64_t GetSize() override;
    int64_t GetPosition() override { return Position; }
    void SetPosition(int64_t position) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t CopyFrom(TQsBigStream& source, int64_t count) override;
    int64_t CopyFromStream(TStream& source, int64_t count) override;
    int64_t CopyToStream(TStream& dest, int64_t count) override;

    int VolumeCount() const { return static_cast<int>(Streams.size()); }
    std::string VolumeFileName(int index) const;
    const std::string& GetFileName() const { return FileName; }

    int32_t CopyBufferSize = 0x100000;

private:
    // Volume number index: created when writing, nullptr past the end when reading.
    TFileStream& VolumeForWrite(int index);
    TFileStream* VolumeForRead(int index);
    int64_t VolumeSizeOf(TFileStream& volume, int index);
    // Walks the volumes from Position for count bytes, handing each piece to
    // step(volume positioned at the piece, piece size, bytes done so far),
    // which returns the bytes it moved; for writing, volumes are created.
    template <typename Step>
    int64_t WalkVolumes(int64_t count, bool forWrite, Step step);
    void OpenExistingVolumes();
    void DeleteExistingVolumes();
    void CopyVolumesFrom(TQsBigFileStream& source, TFileStream& volume, int64_t count);
    int64_t ReadVolumes(void* buffer, int64_t count);
    bool InWindow(int64_t count) const;

    std::string FileName;
    uint16_t Mode;
    int64_t Position = 0;
    int64_t volumeSize_;
    std::vector<std::unique_ptr<TFileStream>> Streams;
    // The volumes' sizes when the stream was opened for reading only (it
    // writes nothing, and its volumes are read many times in small pieces).
    std::vector<int64_t> readSizes_;
    // Small reads that follow one another on a stream opened for reading
    // only (an archive's entries, one after the other) are served from a
    // window read ahead at once: one system call for many entries.
    std::vector<uint8_t> window_;
    int64_t windowStart_ = 0;
    int64_t lastReadEnd_ = -1;
};

// A 64-bit face over an ordinary stream that the derived class owns.
class TQsBigInnerStream : public TQsBigStream {
public:
    TQsBigInnerStream(const TQsBigInnerStream&) = delete;
    TQsBigInnerStream& operator=(const TQsBigInnerStream&) = delete;
    int64_t GetSize() override { return inner_.Size(); }
    int64_t GetPosition() override { return inner_.Position(); }
    void SetPosition(int64_t position) override { inner_.SetPosition(position); }
    int64_t Write(const void* buffer, int64_t count) override { return inner_.Write(buffer, count); }
    int64_t Read(void* buffer, int64_t count) override { return inner_.Read(buffer, count); }
    int64_t CopyFromStream(TStream& source, int64_t count) override { return CopyStreamData(inner_, source, count); }
    int64_t CopyToStream(TStream& dest, int64_t count) override { return CopyStreamData(dest, inner_, count); }

protected:
    explicit TQsBigInnerStream(TStream& inner) : inner_(inner) {}

private:
    TStream& inner_;
};

// The wrappers copy from big streams of their own kind only; any other
// source copies nothing.
class TQsBigMemoryStream : public TQsBigInnerStream {
public:
    TQsBigMemoryStream() : TQsBigInnerStream(Memory) {}
    void LoadFromFile(const std::string& fileName) { Memory.LoadFromFile(fileName); }
    int64_t CopyFrom(TQsBigStream& source, int64_t count) override;

    TMemoryStream Memory;
};

class TQsBigResourceStream : public TQsBigInnerStream {
public:
    TQsBigResourceStream(const std::string& moduleFile, const std::string& resName, const std::string& resType)
        : TQsBigInnerStream(Resource), Resource(moduleFile, resName, resType), ResName(resName), ResType(resType) {}
    int64_t CopyFrom(TQsBigStream& source, int64_t count) override;

    TResourceStream Resource;
    std::string ResName;
    std::string ResType;
};

// Serves many small reads from a big stream in blocks of BlockSize bytes.
// It must be the only reader of Source while it lives; freeing it puts
// Source's position right after the last byte handed out.
class TQsBuffBigStream {
public:
    explicit TQsBuffBigStream(TQsBigStream& source) : Source(source) {}
    ~TQsBuffBigStream();
    TQsBuffBigStream(const TQsBuffBigStream&) = delete;
    TQsBuffBigStream& operator=(const TQsBuffBigStream&) = delete;
    // Returns fewer bytes than asked only at the end of Source.
    int64_t Read(void* buffer, int64_t count);

    TQsBigStream& Source;
    TMemoryStream Buffer;
    int32_t BlockSize = 102400;

private:
    bool Refill();
};

}  // namespace qi
