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
    NewerNamesake = nullptr;
    OlderNamesake = nullptr;
    if (!Collection_) return;
    OlderNamesake = Collection_->Latest_.Put(this, true);
    if (OlderNamesake) OlderNamesake->NewerNamesake = this;
}

void THashCollectionItem::RemoveFromHash() {
    if (Collection_) {
        if (OlderNamesake) OlderNamesake->NewerNamesake = NewerNamesake;
        if (NewerNamesake) {
            NewerNamesake->OlderNamesake = OlderNamesake;
        } else if (Collection_->Latest_.Find(Name_) == this) {
            // The latest of its name: the namesake before it takes its place.
            if (OlderNamesake) {
                Collection_->Latest_.Put(OlderNamesake, true);
            } else {
                Collection_->Latest_.Erase(Name_);
            }
        }
    }
    OlderNamesake = nullptr;
    NewerNamesake = nullptr;
}

void THashCollectionItem::SetName(const std::string& value) {
    if (value == Name_) return;
    RemoveFromHash();  // under the old name
    Name_ = value;
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

THashCollection::THashCollection() = default;

THashCollection::~THashCollection() { Clear(); }

THashCollectionItem& THashCollection::AddItem(std::string name) {
    std::unique_ptr<THashCollectionItem> item = CreateItem();
    item->Name_ = std::move(name);
    item->Collection_ = this;
    item->CachedIndex = Count();
    item->AddToHash();
    Items_.push_back(std::move(item));
    return *Items_.back();
}

void THashCollection::Reserve(int count) {
    Items_.reserve(Items_.size() + static_cast<size_t>(count));
    Latest_.Reserve(Latest_.Size() + static_cast<size_t>(count));
}

// The chain of NameHash(name), walked from its head, would find the same
// item: the one of that name hashed last.
int THashCollection::IndexOf(const std::string& name) const {
    const THashCollectionItem* latest = Latest_.Find(name);
    return latest ? latest->CachedIndex : -1;
}

void THashCollection::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    for (size_t i = static_cast<size_t>(index) + 1; i < Items_.size(); ++i) --Items_[i]->CachedIndex;
    Items_[static_cast<size_t>(index)]->RemoveFromHash();
    Items_.erase(Items_.begin() + index);
}

void THashCollection::Clear() {
    Latest_.Clear();
    Items_.clear();
}

}  // namespace qi
