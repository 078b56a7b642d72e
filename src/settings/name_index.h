#pragma once
// Finds a name in a list of names in constant time, ignoring the case of
// single-byte letters as SameText does. The index follows the list it is
// asked about: names appended since the last look-up are indexed then, and
// a list that was replaced (another buffer, or fewer names) is indexed
// anew. The index holds places in the list, not copies of its names, and
// compares the names the list holds now.
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "base/cp932.h"

namespace qi {

class TNameIndex {
public:
    // Index of the first name of the list equal to name, or -1.
    int Find(const std::vector<std::string>& list, const std::string& name);

private:
    void Follow(const std::vector<std::string>& list);
    void Restart(const std::vector<std::string>& list);
    // A name of the list stands for its text.
    struct FoldedHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const { return HashIgnoringCase(name); }
        size_t operator()(const std::string* name) const { return HashIgnoringCase(*name); }
    };
    struct FoldedEqual {
        using is_transparent = void;
        static std::string_view TextOf(std::string_view name) { return name; }
        static std::string_view TextOf(const std::string* name) { return *name; }
        template <typename A, typename B>
        bool operator()(const A& a, const B& b) const {
            return SameText(TextOf(a), TextOf(b));
        }
    };
    const std::string* indexedData_ = nullptr;
    size_t indexedCount_ = 0;
    // The first name of each text.
    std::unordered_set<const std::string*, FoldedHash, FoldedEqual> first_;
};

}  // namespace qi
