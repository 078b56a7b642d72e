#pragma once
// Ordinary streams: memory, file and resource, with 64-bit sizes and
// positions, and CopyStreamData, the bulk copy between two of them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/platform.h"

namespace qi {

enum class SeekOrigin { Begin, Current, End };

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to count bytes; returns the number read (short at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes count bytes; returns the number written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    virtual int64_t Size();
    virtual void SetSize(int64_t size) = 0;

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }
    // Read or write exactly count bytes, or raise an error.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
};

class TMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t size) override;
    void Clear();
    void LoadFromFile(const std::string& fileName);
    void LoadFromStream(TStream& source);
    void SaveToFile(const std::string& fileName);
    uint8_t* Memory() { return data_.data(); }
    const std::vector<uint8_t>& Bytes() const { return data_; }
    std::vector<uint8_t>& Bytes() { return data_; }

private:
    std::vector<uint8_t> data_;
    int64_t position_ = 0;
};

// Open-mode words of the classic file API: the low nibble is the access
// (0 read, 1 write, 2 read/write), the next nibble the sharing (0 or 1
// exclusive, 2 deny write, 3 deny read, 4 deny none); 0xFFFF creates (or
// empties), 0xFFFE creates a file that must not exist yet. Neither writes
// through a link at the name.
constexpr uint16_t fmCreate = 0xFFFF;
constexpr uint16_t fmCreateNew = 0xFFFE;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, uint16_t mode, bool writeThrough = false);
    // A stream over a file already open; fileName names it in messages.
    TFileStream(const std::string& fileName, std::unique_ptr<platform::File> file)
        : fileName_(fileName), file_(std::move(file)) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return file_->Size(); }
    void SetSize(int64_t size) override;
    void Flush() { file_->Flush(); }
    std::optional<uint32_t> DosTime() { return file_->DosTime(); }
    const std::string& FileName() const { return fileName_; }
    // Copies up to count bytes to dest inside the kernel where the system
    // can; returns the bytes copied (see platform::KernelCopy).
    int64_t KernelCopyTo(TFileStream& dest, int64_t count) { return platform::KernelCopy(*file_, *dest.file_, count); }

protected:
    platform::File& Handle() { return *file_; }

private:
    std::string fileName_;
    std::unique_ptr<platform::File> file_;
};

// A read-only stream over a resource of a program file.
class TResourceStream : public TStream {
public:
    TResourceStream(const std::string& moduleFile, const std::string& name, const std::string& type);
    int64_t Read(void* buffer, int64_t count) override { return memory_.Read(buffer, count); }
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override { return memory_.Seek(offset, origin); }
    int64_t Size() override { return memory_.Size(); }
    void SetSize(int64_t size) override;

private:
    TMemoryStream memory_;
};

// Copies count bytes from source's position to dest; a count of 0 copies the
// whole source from its start. Between two files the kernel copies where it
// can. Raises an error when the source runs dry before count bytes arrived.
// Returns the count copied.
int64_t CopyStreamData(TStream& dest, TStream& source, int64_t count);

}  // namespace qi
