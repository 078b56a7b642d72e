#include "archive/hash_collection.h"

#include <utility>

#include "base/cp932.h"

namespace qi {

int32_t NameHash(const std::string& name) {
    std::string s = LowerCase(name);
    uint32_t length = static_cast<uint32_t>(s.size());
    if (length < 2) return static_cast<int32_t>((length * 16) & 0xFF);
    uint32_t first = static_cast<unsigned char>(s[0]);
    uint32_t secondToLast = static_cast<unsigned char>(s[length - 2]);
    return static_cast<int32_t>((length * 16 + first + secondToLast) & 0xFF);
}

// ---- THashCollectionItem ----------------------------------------------

void THashCollectionItem::AddToHash() {
    HashIndex = NameHash(Name_);
    if (!Collection_) return;
    THashCollectionItem*& head = Collection_->Buckets[static_cast<size_t>(HashIndex)];
    Prev = nullptr;
    Next = head;
    if (head) head->Prev = this;
    head = this;
    THashCollectionItem*& latest = Collection_->Latest_[Key_];
    OlderNamesake = latest;
    NewerNamesake = nullptr;
    if (latest) latest->NewerNamesake = this;
    latest = this;
}

void THashCollectionItem::RemoveFromHash() {
    if (Collection_) {
        if (Prev) {
            Prev->Next = Next;
        } else if (Collection_->Buckets[static_cast<size_t>(HashIndex)] == this) {
            Collection_->Buckets[static_cast<size_t>(HashIndex)] = Next;
        }
        if (Next) Next->Prev = Prev;
        if (OlderNamesake) OlderNamesake->NewerNamesake = NewerNamesake;
        if (NewerNamesake) {
            NewerNamesake->OlderNamesake = OlderNamesake;
        } else if (auto latest = Collection_->Latest_.find(Key_);
                   latest != Collection_->Latest_.end() && latest->second == this) {
            if (OlderNamesake) {
                latest->second = OlderNamesake;
            } else {
                Collection_->Latest_.erase(latest);
            }
        }
    }
    Prev = nullptr;
    Next = nullptr;
    OlderNamesake = nullptr;
    NewerNamesake = nullptr;
}

void THashCollectionItem::SetName(const std::string& value) {
    if (value == Name_) return;
    RemoveFromHash();  // under the old name
    Name_ = value;
    Key_ = UpperCase(value);
    AddToHash();
}

void THashCollectionItem::Assign(const THashCollectionItem& source) { SetName(source.Name()); }

std::string THashCollectionItem::DisplayName() const {
    return Name_.empty() ? "THashCollectionItem" : Name_;
}

void THashCollectionItem::SetIndex(int index) {
    if (!Collection_) return;
    auto& items = Collection_->Items_;
    int count = static_cast<int>(items.size());
    if (index < 0 || index >= count || index == CachedIndex) return;
    auto from = items.begin() + CachedIndex;
    std::unique_ptr<THashCollectionItem> self = std::move(*from);
    items.erase(from);
    items.insert(items.begin() + index, std::move(self));
    for (int i = 0; i < count; ++i) items[static_cast<size_t>(i)]->CachedIndex = i;
}

// ---- THashCollection --------------------------------------------------

THashCollection::~THashCollection() { Clear(); }

THashCollectionItem& THashCollection::AddItem() {
    std::unique_ptr<THashCollectionItem> item = CreateItem();
    item->Collection_ = this;
    item->CachedIndex = Count();
    item->AddToHash();
    Items_.push_back(std::move(item));
    return *Items_.back();
}

// The chain of NameHash(name), walked from its head, would find the same
// item: the one of that name hashed last.
int THashCollection::IndexOf(const std::string& name) const {
    auto latest = Latest_.find(UpperCase(name));
    return latest == Latest_.end() ? -1 : latest->second->CachedIndex;
}

void THashCollection::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    for (size_t i = static_cast<size_t>(index) + 1; i < Items_.size(); ++i) --Items_[i]->CachedIndex;
    Items_[static_cast<size_t>(index)]->RemoveFromHash();
    Items_.erase(Items_.begin() + index);
}

void THashCollection::Clear() {
    for (auto& item : Items_) {
        item->Prev = nullptr;
        item->Next = nullptr;
        item->OlderNamesake = nullptr;
        item->NewerNamesake = nullptr;
    }
    Items_.clear();
    Buckets.fill(nullptr);
    Latest_.clear();
}

}  // namespace qi
