#include "settings/name_index.h"

namespace qi {

void TNameIndex::Restart(const std::vector<std::string>& list) {
    first_.clear();
    indexedData_ = list.data();
    indexedCount_ = 0;
}

void TNameIndex::Follow(const std::vector<std::string>& list) {
    if (list.data() != indexedData_ || list.size() < indexedCount_) Restart(list);
    for (; indexedCount_ < list.size(); ++indexedCount_) first_.insert(&list[indexedCount_]);
}

int TNameIndex::Find(const std::vector<std::string>& list, const std::string& name) {
    Follow(list);
    auto found = first_.find(std::string_view(name));
    return found == first_.end() ? -1 : static_cast<int>(*found - list.data());
}

}  // namespace qi
