#pragma once
// A table of names compared as SameText compares them (single-byte letters
// without case), held in one array of slots: a slot keeps a name's hash
// beside a pointer to the item that holds the name, so a look-up reads
// neighbouring slots and follows a pointer only where the hashes are
// equal. Linear probing; a removal moves the slots after it back, so no
// slot is ever left as a tombstone and the table never needs rebuilding.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "base/cp932.h"

namespace qi {

// NameOf{}(const Item*) gives the name an item holds; it must not change
// while the item is in the table.
template <typename Item, typename NameOf>
class TFoldedNameTable {
public:
    size_t Size() const { return count_; }

    // The item of name; nullptr when there is none.
    Item* Find(std::string_view name) const {
        if (count_ == 0) return nullptr;
        const size_t hash = HashIgnoringCase(name);
        for (size_t i = Home(hash);; i = Next(i)) {
            const Slot& slot = slots_[i];
            if (!slot.item) return nullptr;
            if (slot.hash == hash && SameText(NameOf{}(slot.item), name)) return slot.item;
        }
    }

    // Puts item in as the one of its name, or (replace false) only when its
    // name has none. Returns the item of that name that was there before.
    Item* Put(Item* item, bool replace) {
        if ((count_ + 1) * 4 > slots_.size() * 3) Rehash(slots_.empty() ? 16 : slots_.size() * 2);
        const std::string_view name = NameOf{}(item);
        const size_t hash = HashIgnoringCase(name);
        for (size_t i = Home(hash);; i = Next(i)) {
            Slot& slot = slots_[i];
            if (!slot.item) {
                slot = {hash, item};
                ++count_;
                return nullptr;
            }
            if (slot.hash == hash && SameText(NameOf{}(slot.item), name)) {
                return replace ? std::exchange(slot.item, item) : slot.item;
            }
        }
    }

    // Takes the item of name out, when there is one.
    void Erase(std::string_view name) {
        if (count_ == 0) return;
        const size_t hash = HashIgnoringCase(name);
        size_t hole = Home(hash);
        for (;; hole = Next(hole)) {
            const Slot& slot = slots_[hole];
            if (!slot.item) return;
            if (slot.hash == hash && SameText(NameOf{}(slot.item), name)) break;
        }
        // A later slot of the run moves into the hole unless its home lies
        // after the hole (cyclically), where a look-up would not pass it.
        for (size_t i = Next(hole); slots_[i].item; i = Next(i)) {
            const size_t home = Home(slots_[i].hash);
            const bool homeInBetween = hole < i ? hole < home && home <= i : hole < home || home <= i;
            if (!homeInBetween) {
                slots_[hole] = slots_[i];
                hole = i;
            }
        }
        slots_[hole] = Slot{};
        --count_;
    }

    // Makes room for count items in all.
    void Reserve(size_t count) {
        size_t wanted = 16;
        while (wanted * 3 < count * 4) wanted *= 2;
        if (wanted > slots_.size()) Rehash(wanted);
    }

    void Clear() {
        std::vector<Slot>().swap(slots_);
        count_ = 0;
        shift_ = 64;
    }

private:
    struct Slot {
        size_t hash = 0;
        Item* item = nullptr;
    };

    // Fibonacci hashing: the product's top bits pick the slot, so hashes
    // that differ in any bit spread over the table.
    size_t Home(size_t hash) const {
        return static_cast<size_t>((static_cast<uint64_t>(hash) * 0x9E3779B97F4A7C15ull) >> shift_);
    }
    size_t Next(size_t i) const { return (i + 1) & (slots_.size() - 1); }

    // capacity: a power of two.
    void Rehash(size_t capacity) {
        std::vector<Slot> old(capacity);
        old.swap(slots_);
        shift_ = 64;
        for (size_t c = capacity; c > 1; c >>= 1) --shift_;
        for (const Slot& slot : old) {
            if (!slot.item) continue;
            size_t i = Home(slot.hash);
            while (slots_[i].item) i = Next(i);
            slots_[i] = slot;
        }
    }

    std::vector<Slot> slots_;
    size_t count_ = 0;
    int shift_ = 64;
};

}  // namespace qi
