// Checking a data file: the CRC-32 of every entry that carries one.
#include <algorithm>
#include <memory>
#include <vector>

#include "archive/ordered_work.h"
#include "archive/vrfiles.h"

namespace qi {

namespace {

// Reads go in pieces that stay in the processor's cache between read and sum.
constexpr int64_t kPiece = 0x40000;

bool IsReplaced(const TVrFile& item) { return !item.Name().empty() && item.Name()[0] == '/'; }

// What the check of one entry found; ByContent: a compressed loose file,
// whose checksum covers its content (checked by inflating it).
enum class EntryCheck { Skipped, Intact, Damaged, ByContent };

// Reads a big stream forward in pieces, for the CRC-32 of ranges that
// mostly follow one another: many small neighbouring entries cost one read
// per piece rather than a seek and a read each.
class AheadReader {
public:
    AheadReader(TQsBigStream& stream, int64_t size) : stream_(stream), size_(size) {}
    uint32_t Crc(int64_t offset, int64_t count) {
        uint32_t crc = 0;
        while (count > 0) {
            if (offset < start_ || offset >= start_ + filled_) Fill(offset);
            int64_t at = offset - start_, piece = std::min(count, filled_ - at);
            crc = Crc32(crc, buffer_.data() + at, static_cast<size_t>(piece));
            offset += piece;
            count -= piece;
        }
        return crc;
    }

private:
    void Fill(int64_t offset) {
        if (buffer_.empty()) buffer_.resize(static_cast<size_t>(kPiece));
        int64_t piece = std::min(kPiece, size_ - offset);
        if (stream_.GetPosition() != offset) stream_.SetPosition(offset);
        if (piece <= 0 || stream_.Read(buffer_.data(), piece) != piece) {
            throw Error("データが足りません: CRC-32 の対象を読めません");
        }
        start_ = offset;
        filled_ = piece;
    }
    TQsBigStream& stream_;
    int64_t size_;
    int64_t start_ = 0, filled_ = 0;
    std::vector<uint8_t> buffer_;
};

// A worker's own handle on the data file, and its reader.
struct CheckReader {
    std::unique_ptr<TQsBigStream> stream;
    std::unique_ptr<AheadReader> reader;
};

// Entries are checked in groups of neighbours of about this many bytes.
constexpr int64_t kCheckGroup = 0x100000;

// Takes bytes and keeps none: for a check that needs only their CRC.
class TNullStream : public TStream {
public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void*, int64_t count) override { return count; }
    int64_t Seek(int64_t, SeekOrigin) override { return 0; }
    void SetSize(int64_t) override {}
};

}  // namespace

bool TVrFileCollection::Verify(int* failedIndex) {
    if (failedIndex) *failedIndex = -1;
    if (!Stream) return false;
    // Every entry but the end sentinel is walked, also when a merge has
    // dropped the sentinel and the last item is a real entry.
    const int count = Count();
    const int walked = count > 0 && Items(count - 1).Name() == kEOFEntryName ? count - 1 : count;
    const int64_t streamSize = Stream->GetSize();
    std::vector<int> groups{0};
    for (int i = 0; i < walked;) {
        for (int64_t bytes = 0; i < walked && bytes < kCheckGroup; ++i) bytes += std::max<int64_t>(Items(i).Size, 1);
        groups.push_back(i);
    }
    // Groups are summed ahead on the worker threads, each reading the data
    // file through a handle of its own; other streams are read here alone.
    auto* file = dynamic_cast<TQsBigFileStream*>(Stream.get());
    const int threads = Jobs > 1 && file ? Jobs : 0;
    std::vector<CheckReader> readers(static_cast<size_t>(std::max(threads, 1)));
    auto check = [&](int i, AheadReader& reader) {
        const TVrFile& item = Items(i);
        if (item.Checksum == 0 || IsReplaced(item) || item.Name() == kEOFEntryName) return EntryCheck::Skipped;
        if (item.Offset < 0 || item.Size < 0 || item.Offset > streamSize - item.Size) return EntryCheck::Damaged;
        if (item.LooseFile && item.Stored == 0) return EntryCheck::ByContent;
        return reader.Crc(item.Offset, item.Size) == item.Checksum ? EntryCheck::Intact : EntryCheck::Damaged;
    };
    auto checkGroup = [&](int g, int worker) {
        CheckReader& own = readers[static_cast<size_t>(worker)];
        if (!own.reader) {
            if (threads > 0) {
                own.stream = std::make_unique<TQsBigFileStream>(file->GetFileName(), fmOpenRead | fmShareDenyWrite);
            }
            own.reader = std::make_unique<AheadReader>(threads > 0 ? *own.stream : *Stream, streamSize);
        }
        std::vector<EntryCheck> results;
        for (int i = groups[static_cast<size_t>(g)]; i < groups[static_cast<size_t>(g) + 1]; ++i) {
            results.push_back(check(i, *own.reader));
        }
        return results;
    };
    OrderedWork<std::vector<EntryCheck>> checks(static_cast<int>(groups.size()) - 1, threads, 2 * threads,
                                                checkGroup);
    std::vector<EntryCheck> results;
    for (int i = 0; i < walked; ++i) {
        TVrFile& item = Items(i);
        if (i % 10 == 9 && OnProgress) {
            bool cancel = false;
            OnProgress(*this, &item, item.Size, i, walked, cancel);
            if (cancel) return true;
        }
        auto group = std::upper_bound(groups.begin(), groups.end(), i) - groups.begin() - 1;
        if (i == groups[static_cast<size_t>(group)]) results = checks.Take(static_cast<int>(group));
        EntryCheck result = results[static_cast<size_t>(i - groups[static_cast<size_t>(group)])];
        if (result == EntryCheck::ByContent && !ContentMatches(item)) result = EntryCheck::Damaged;
        if (result == EntryCheck::Damaged) {
            if (failedIndex) *failedIndex = i;
            return false;
        }
    }
    return true;
}

// A loose file's checksum covers its content, which only inflating shows.
bool TVrFileCollection::ContentMatches(const TVrFile& item) {
    try {
        TNullStream sink;
        ExtractEntry(item, sink);
        return true;
    } catch (const EDataDamaged&) {
        return false;
    }
}

}  // namespace qi
