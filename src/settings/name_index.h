#pragma once
// Finds a name in a list of names in constant time, ignoring the case of
// single-byte letters as SameText does. The index follows the list it is
// asked about: names appended since the last look-up are indexed then, and
// a list that was replaced (another buffer, or fewer names) is indexed
// anew. The index holds places in the list, not copies of its names, and
// compares the names the list holds now.
#include <string>
#include <string_view>
#include <vector>

#include "base/folded_name_table.h"

namespace qi {

class TNameIndex {
public:
    // Index of the first name of the list equal to name, or -1.
    int Find(const std::vector<std::string>& list, const std::string& name);

private:
    void Follow(const std::vector<std::string>& list);
    void Restart(const std::vector<std::string>& list);
    struct TextOf {
        std::string_view operator()(const std::string* name) const { return *name; }
    };
    const std::string* indexedData_ = nullptr;
    size_t indexedCount_ = 0;
    // The first name of each text.
    TFoldedNameTable<const std::string, TextOf> first_;
};

}  // namespace qi
