#include <algorithm>
#include <cstdio>

#include "base/path_helpers.h"
#include "streams/big_stream.h"

namespace qi {

namespace {

// The window of small reads that follow one another.
constexpr int64_t kReadAhead = 0x40000;

[[noreturn]] void SourceRanDry(const std::string& name) {
    throw Error(name + ":ストリームの読み込みエラー: コピー元のデータが足りません");
}

}  // namespace

TQsBigFileStream::TQsBigFileStream(const std::string& fileName, uint16_t mode, int64_t volumeSize)
    : FileName(fileName), Mode(mode), volumeSize_(volumeSize) {
    unsigned access = Mode & 0xF;
    if (access == 0 || access == 2) {
        OpenExistingVolumes();
    } else {
        DeleteExistingVolumes();
    }
}

TQsBigFileStream::~TQsBigFileStream() {
    unsigned access = Mode & 0xF;
    if (access != 1 && access != 2) return;
    for (auto& volume : Streams) {
        try {
            volume->Flush();
        } catch (const Error&) {
            // Nothing can be reported from a destructor; the data was written.
        }
    }
}

std::string TQsBigFileStream::VolumeFileName(int index) const {
    if (index == 0) return FileName;
    std::string extension = ExtractFileExt(FileName);
    std::string stem = FileName.substr(0, FileName.size() - extension.size());
    char number[16];
    std::snprintf(number, sizeof number, ".%.3d", index);
    return stem + number;
}

// The volumes form one chain up to the first missing number. A volume that
// cannot be opened, or a middle volume of the wrong size, would shift every
// later byte, so either is an error that names the volume.
void TQsBigFileStream::OpenExistingVolumes() {
    for (int n = 0; platform::FileExists(VolumeFileName(n)); ++n) {
        Streams.push_back(std::make_unique<TFileStream>(VolumeFileName(n), Mode, true));
    }
    for (size_t n = 0; n < Streams.size(); ++n) {
        int64_t size = Streams[n]->Size();
        bool last = n + 1 == Streams.size();
        if (size > volumeSize_ || (!last && size != volumeSize_)) {
            throw Error(VolumeFileName(static_cast<int>(n)) + ":ボリュームのサイズが正しくありません");
        }
        if ((Mode & 0xF) == 0) readSizes_.push_back(size);
    }
}

int64_t TQsBigFileStream::VolumeSizeOf(TFileStream& volume, int index) {
    return static_cast<size_t>(index) < readSizes_.size() ? readSizes_[static_cast<size_t>(index)] : volume.Size();
}

void TQsBigFileStream::DeleteExistingVolumes() {
    for (int n = 0; platform::FileExists(VolumeFileName(n)); ++n) {
        if (!platform::RemoveFile(VolumeFileName(n))) {
            throw Error(VolumeFileName(n) + ":ファイルを削除できません");
        }
    }
}

TFileStream& TQsBigFileStream::VolumeForWrite(int index) {
    if (index < VolumeCount()) return *Streams[index];
    if (index > VolumeCount()) throw Error(VolumeFileName(index) + ":ボリュームが連続していません");
    Streams.push_back(std::make_unique<TFileStream>(VolumeFileName(index), fmCreate, true));
    return *Streams.back();
}

TFileStream* TQsBigFileStream::VolumeForRead(int index) {
    return index < VolumeCount() ? Streams[index].get() : nullptr;
}

int64_t TQsBigFileStream::GetSize() {
    int64_t size = 0;
    for (int n = 0; n < VolumeCount(); ++n) size += VolumeSizeOf(*Streams[static_cast<size_t>(n)], n);
    return size;
}

void TQsBigFileStream::SetPosition(int64_t position) {
    if (position < 0) throw Error(FileName + ":シークできません");
    Position = std::min(position, GetSize());
}

template <typename Step>
int64_t TQsBigFileStream::WalkVolumes(int64_t count, bool forWrite, Step step) {
    int64_t done = 0;
    while (count > 0) {
        int index = static_cast<int>(Position / volumeSize_);
        int64_t offset = Position % volumeSize_;
        TFileStream* volume = forWrite ? &VolumeForWrite(index) : VolumeForRead(index);
        if (!volume) break;
        int64_t room = (forWrite ? volumeSize_ : VolumeSizeOf(*volume, index)) - offset;
        int64_t chunk = std::min(room, count);
        if (chunk <= 0) break;
        volume->SetPosition(offset);
        int64_t moved = step(*volume, chunk, done);
        done += moved;
        Position += moved;
        count -= moved;
        if (moved < chunk) break;
    }
    return done;
}

int64_t TQsBigFileStream::Write(const void* buffer, int64_t count) {
    auto* bytes = static_cast<const uint8_t*>(buffer);
    return WalkVolumes(count, true, [&](TFileStream& volume, int64_t chunk, int64_t done) {
        return volume.Write(bytes + done, chunk);
    });
}

int64_t TQsBigFileStream::ReadVolumes(void* buffer, int64_t count) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    return WalkVolumes(count, false, [&](TFileStream& volume, int64_t chunk, int64_t done) {
        return volume.Read(bytes + done, chunk);
    });
}

bool TQsBigFileStream::InWindow(int64_t count) const {
    return Position >= windowStart_ && count <= windowStart_ + static_cast<int64_t>(window_.size()) - Position;
}

int64_t TQsBigFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    const bool small = !readSizes_.empty() && count <= kReadAhead / 4;
    if (small && !InWindow(count) && Position == lastReadEnd_) {
        const int64_t start = Position;
        window_.resize(static_cast<size_t>(kReadAhead));
        window_.resize(static_cast<size_t>(ReadVolumes(window_.data(), kReadAhead)));
        windowStart_ = start;
        Position = start;
    }
    int64_t got = count;
    if (small && InWindow(count)) {
        std::copy_n(window_.data() + (Position - windowStart_), count, static_cast<uint8_t*>(buffer));
        Position += count;
    } else {
        got = ReadVolumes(buffer, count);
    }
    lastReadEnd_ = Position;
    return got;
}

int64_t TQsBigFileStream::CopyFromStream(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    return WalkVolumes(count, true, [&](TFileStream& volume, int64_t chunk, int64_t) {
        return CopyStreamData(volume, source, chunk);
    });
}

int64_t TQsBigFileStream::CopyToStream(TStream& dest, int64_t count) {
    return WalkVolumes(count, false, [&](TFileStream& volume, int64_t chunk, int64_t) {
        return CopyStreamData(dest, volume, chunk);
    });
}

void TQsBigFileStream::CopyVolumesFrom(TQsBigFileStream& source, TFileStream& volume, int64_t count) {
    while (count > 0) {
        int index = static_cast<int>(source.Position / source.volumeSize_);
        int64_t offset = source.Position % source.volumeSize_;
        TFileStream* from = source.VolumeForRead(index);
        if (!from || from->Size() <= offset) SourceRanDry(source.FileName);
        int64_t piece = std::min(source.volumeSize_ - offset, count);
        from->SetPosition(offset);
        CopyStreamData(volume, *from, piece);
        source.Position += piece;
        count -= piece;
    }
}

int64_t TQsBigFileStream::CopyFrom(TQsBigStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.GetSize();
    }
    auto* fileSource = dynamic_cast<TQsBigFileStream*>(&source);
    std::vector<uint8_t> buffer;
    if (!fileSource && count > 0) buffer.resize(static_cast<size_t>(std::min<int64_t>(CopyBufferSize, count)));
    return WalkVolumes(count, true, [&](TFileStream& volume, int64_t chunk, int64_t) {
        if (fileSource) {
            CopyVolumesFrom(*fileSource, volume, chunk);
            return chunk;
        }
        for (int64_t rest = chunk; rest > 0;) {
            int64_t piece = std::min(static_cast<int64_t>(buffer.size()), rest);
            if (source.Read(buffer.data(), piece) != piece) SourceRanDry(FileName);
            volume.WriteBuffer(buffer.data(), piece);
            rest -= piece;
        }
        return chunk;
    });
}

}  // namespace qi
