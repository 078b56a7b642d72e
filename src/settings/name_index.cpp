#include "settings/name_index.h"

namespace qi {

void TNameIndex::Restart(const std::vector<std::string>& list) {
    first_.Clear();
    indexedData_ = list.data();
    indexedCount_ = 0;
}

void TNameIndex::Follow(const std::vector<std::string>& list) {
    if (list.data() != indexedData_ || list.size() < indexedCount_) Restart(list);
    for (; indexedCount_ < list.size(); ++indexedCount_) first_.Put(&list[indexedCount_], false);
}

int TNameIndex::Find(const std::vector<std::string>& list, const std::string& name) {
    Follow(list);
    const std::string* found = first_.Find(name);
    return found ? static_cast<int>(found - list.data()) : -1;
}

}  // namespace qi
