#include "settings/name_index.h"

#include "base/cp932.h"

namespace qi {

void TNameIndex::Restart(const std::vector<std::string>& list) {
    first_.clear();
    indexedData_ = list.data();
    indexedCount_ = 0;
}

void TNameIndex::Follow(const std::vector<std::string>& list) {
    if (list.data() != indexedData_ || list.size() < indexedCount_) Restart(list);
    for (; indexedCount_ < list.size(); ++indexedCount_) {
        first_.try_emplace(UpperCase(list[indexedCount_]), static_cast<int>(indexedCount_));
    }
}

int TNameIndex::Find(const std::vector<std::string>& list, const std::string& name) {
    Follow(list);
    const std::string key = UpperCase(name);
    auto found = first_.find(key);
    if (found != first_.end() && UpperCase(list[static_cast<size_t>(found->second)]) != key) {
        // Changed in place: index the list anew.
        Restart(list);
        Follow(list);
        found = first_.find(key);
    }
    return found == first_.end() ? -1 : found->second;
}

}  // namespace qi
