#pragma once
// Finds a name in a list of names in constant time, ignoring the case of
// single-byte letters as SameText does. The index follows the list it is
// asked about: names appended since the last look-up are indexed then, and
// a list that was replaced (another buffer, or fewer names) is indexed
// anew. A found name is checked against the list before it is answered.
#include <string>
#include <unordered_map>
#include <vector>

namespace qi {

class TNameIndex {
public:
    // Index of the first name of the list equal to name, or -1.
    int Find(const std::vector<std::string>& list, const std::string& name);

private:
    void Follow(const std::vector<std::string>& list);
    void Restart(const std::vector<std::string>& list);
    const std::string* indexedData_ = nullptr;
    size_t indexedCount_ = 0;
    std::unordered_map<std::string, int> first_;
};

}  // namespace qi
