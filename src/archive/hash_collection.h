#pragma once
// A collection that owns its items and finds them by name through an index
// of the names compared upper-cased, in constant time: of the items of one
// name, the one added or renamed last. NameHash, the 256 buckets of three
// values only (length, first and second-to-last byte of the lower-cased
// name), is not used to find names: names that look alike
// ("voice\v0012345.ogg") share a bucket, and a look-up through it would walk
// them all.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/folded_name_table.h"

namespace qi {

// Bucket of a name: (L * 16 + S[0] + S[L-2]) and 0xFF over the lower-cased
// bytes S of length L; (L * 16) and 0xFF for names shorter than two bytes.
int32_t NameHash(const std::string& name);

class THashCollection;

class THashCollectionItem {
public:
    virtual ~THashCollectionItem() = default;
    THashCollectionItem(const THashCollectionItem&) = delete;
    THashCollectionItem& operator=(const THashCollectionItem&) = delete;

    const std::string& Name() const { return Name_; }
    // Stores a name that differs (case-sensitively); the item becomes the
    // latest of its new name.
    virtual void SetName(const std::string& value);
    // From another hash item only the name is taken.
    virtual void Assign(const THashCollectionItem& source);
    std::string DisplayName() const;
    int Index() const { return CachedIndex; }
    // Moves the item to another index; every item keeps a true CachedIndex.
    void SetIndex(int index);
    THashCollection* Collection() const { return Collection_; }

protected:
    THashCollectionItem() = default;
    virtual void AddToHash();
    void RemoveFromHash();

private:
    friend class THashCollection;
    std::string Name_;
    THashCollection* Collection_ = nullptr;
    // The items of the same name hashed just before and just after this one.
    THashCollectionItem* OlderNamesake = nullptr;
    THashCollectionItem* NewerNamesake = nullptr;
    // The item's place in the collection; last, so that a derived class's
    // first small field can share its word.
    int32_t CachedIndex = -1;
};

class THashCollection {
public:
    THashCollection();
    virtual ~THashCollection();
    THashCollection(const THashCollection&) = delete;
    THashCollection& operator=(const THashCollection&) = delete;

    int Count() const { return static_cast<int>(Items_.size()); }
    THashCollectionItem& Item(int index) const { return *Items_.at(static_cast<size_t>(index)); }
    // Index of the item named Name, ignoring case; -1 when absent. Of two
    // items with the same name, the one added or renamed last is found.
    virtual int IndexOf(const std::string& name) const;
    void Delete(int index);
    void Clear();

protected:
    // Appends a fresh item made by the item class under name, hashed once.
    THashCollectionItem& AddItem(std::string name = std::string());
    // Makes room for count more items at once.
    void Reserve(int count);
    virtual std::unique_ptr<THashCollectionItem> CreateItem() = 0;

private:
    friend class THashCollectionItem;
    std::vector<std::unique_ptr<THashCollectionItem>> Items_;
    struct NameOfItem {
        std::string_view operator()(const THashCollectionItem* item) const { return item->Name_; }
    };
    // Of each name, the item hashed last.
    TFoldedNameTable<THashCollectionItem, NameOfItem> Latest_;
};

}  // namespace qi
