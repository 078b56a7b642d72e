#include "streams/stream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qi {

int64_t TStream::Size() {
    int64_t here = Position();
    int64_t end = Seek(0, SeekOrigin::End);
    Seek(here, SeekOrigin::Begin);
    return end;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count) throw Error("ストリームの読み込みエラー");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && Write(buffer, count) != count) throw Error("ストリームの書き込みエラー");
}

// ---- TMemoryStream ----------------------------------------------------

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    int64_t available = Size() - position_;
    if (count <= 0 || available <= 0) return 0;
    int64_t n = std::min(count, available);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    int64_t end = position_ + count;
    if (end > Size()) SetSize(end);
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? position_ : Size();
    position_ = base + offset;
    if (position_ < 0) position_ = 0;
    return position_;
}

void TMemoryStream::SetSize(int64_t size) {
    if (size < 0 || static_cast<uint64_t>(size) > data_.max_size()) throw Error("メモリが不足しています");
    data_.resize(static_cast<size_t>(size));
    if (position_ > size) position_ = size;
}

void TMemoryStream::Clear() {
    data_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    int64_t size = source.Size();
    SetSize(size);
    source.ReadBuffer(data_.data(), size);
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& fileName) {
    TFileStream file(fileName, fmCreate);
    file.WriteBuffer(data_.data(), Size());
}

// ---- TFileStream ------------------------------------------------------

namespace {

struct OpenArguments {
    platform::Access access;
    platform::Share share;
    platform::Disposition disposition;
};

OpenArguments ArgumentsOfMode(uint16_t mode) {
    if (mode == fmCreate || mode == fmCreateNew) {
        return {platform::Access::ReadWrite, platform::Share::None,
                mode == fmCreate ? platform::Disposition::CreateAlways : platform::Disposition::CreateNew};
    }
    static constexpr platform::Access kAccess[] = {platform::Access::Read, platform::Access::Write,
                                                   platform::Access::ReadWrite, platform::Access::Read};
    static constexpr platform::Share kShare[] = {platform::Share::None, platform::Share::None,
                                                 platform::Share::Read, platform::Share::Write,
                                                 platform::Share::ReadWrite};
    unsigned shareIndex = (mode & 0xF0) >> 4;
    return {kAccess[mode & 3], shareIndex < 5 ? kShare[shareIndex] : platform::Share::None,
            platform::Disposition::OpenExisting};
}

}  // namespace

TFileStream::TFileStream(const std::string& fileName, uint16_t mode, bool writeThrough) : fileName_(fileName) {
    OpenArguments args = ArgumentsOfMode(mode);
    file_ = platform::OpenFile(fileName, args.access, args.share, args.disposition, writeThrough);
}

int64_t TFileStream::Read(void* buffer, int64_t count) { return count <= 0 ? 0 : file_->Read(buffer, count); }

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    return count <= 0 ? 0 : file_->Write(buffer, count);
}

int64_t TFileStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? file_->Position() : Size();
    if (base + offset < 0) throw Error(fileName_ + ":シークできません");
    return file_->Seek(base + offset);
}

void TFileStream::SetSize(int64_t size) {
    int64_t here = file_->Position();
    file_->Seek(size);
    file_->Truncate();
    file_->Seek(std::min(here, size));
}

// ---- TResourceStream --------------------------------------------------

TResourceStream::TResourceStream(const std::string& moduleFile, const std::string& name, const std::string& type) {
    auto data = platform::LoadModuleResource(moduleFile, name, type);
    if (!data) throw Error("リソースが見つかりません");
    memory_.Bytes() = std::move(*data);
}

int64_t TResourceStream::Write(const void*, int64_t) { throw Error("リソースストリームには書き込めません"); }

void TResourceStream::SetSize(int64_t) { throw Error("リソースストリームには書き込めません"); }

// ---- CopyStreamData ---------------------------------------------------

namespace {

constexpr int64_t kCopyBufferMax = 0xA00000;
constexpr int64_t kCopyBufferStep = 0x100000;

[[noreturn]] void SourceRanDry() { throw Error("ストリームの読み込みエラー: コピー元のデータが足りません"); }

// Allocates up to size bytes, giving up 1 MiB at a time under memory pressure.
std::vector<uint8_t> AllocateCopyBuffer(int64_t size) {
    for (;;) {
        try {
            return std::vector<uint8_t>(static_cast<size_t>(size));
        } catch (const std::bad_alloc&) {
            size -= kCopyBufferStep;
            if (size <= 0) throw;
        }
    }
}

}  // namespace

int64_t CopyStreamData(TStream& dest, TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count <= 0) return 0;
    if (auto* memory = dynamic_cast<TMemoryStream*>(&source)) {
        int64_t position = memory->Position();
        if (count > memory->Size() - position) SourceRanDry();
        dest.WriteBuffer(memory->Memory() + position, count);
        memory->Seek(count, SeekOrigin::Current);
        return count;
    }
    int64_t remaining = count;
    auto* fileSource = dynamic_cast<TFileStream*>(&source);
    auto* fileDest = dynamic_cast<TFileStream*>(&dest);
    if (fileSource && fileDest) remaining -= fileSource->KernelCopyTo(*fileDest, count);
    if (remaining == 0) return count;
    std::vector<uint8_t> buffer = AllocateCopyBuffer(std::min(remaining, kCopyBufferMax));
    int64_t bufferSize = static_cast<int64_t>(buffer.size());
    while (remaining > 0) {
        int64_t got = source.Read(buffer.data(), std::min(bufferSize, remaining));
        if (got <= 0) SourceRanDry();
        dest.WriteBuffer(buffer.data(), got);
        remaining -= got;
    }
    return count;
}

}  // namespace qi
