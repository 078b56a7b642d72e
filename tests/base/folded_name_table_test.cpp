#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>

#include "base/cp932.h"
#include "base/folded_name_table.h"

namespace qi {
namespace {

struct TextOf {
    std::string_view operator()(const std::string* text) const { return *text; }
};

// Thousands of names put in, replaced and taken out at random, through
// growth and through removals in runs that wrap around the end of the
// table, against a map of the upper-cased names.
TEST(FoldedNameTable, FindsWhatAMapOfFoldedNamesHolds) {
    std::deque<std::string> texts;  // stable addresses
    for (int i = 0; i < 3000; ++i) texts.push_back((i % 3 ? "voice\\v" : "VOICE\\V") + std::to_string(i % 1500));
    texts.push_back("\x83\x41.txt");
    texts.push_back("\x83\x61.txt");  // a second byte is no letter to fold
    TFoldedNameTable<const std::string, TextOf> table;
    std::map<std::string, const std::string*> model;
    uint32_t random = 7;
    auto next = [&random](uint32_t below) {
        random = random * 1103515245u + 12345u;
        return (random >> 8) % below;
    };
    for (int step = 0; step < 40000; ++step) {
        const std::string& text = texts[next(static_cast<uint32_t>(texts.size()))];
        const std::string key = UpperCase(text);
        const uint32_t action = next(3);
        if (action == 0) {
            table.Erase(text);
            model.erase(key);
        } else {
            const bool replace = action == 1;
            auto kept = model.find(key);
            const std::string* before = table.Put(&text, replace);
            ASSERT_EQ(before, kept == model.end() ? nullptr : kept->second) << step;
            if (kept == model.end() || replace) model[key] = &text;
        }
        ASSERT_EQ(table.Size(), model.size());
        const std::string& probe = texts[next(static_cast<uint32_t>(texts.size()))];
        auto expected = model.find(UpperCase(probe));
        ASSERT_EQ(table.Find(probe), expected == model.end() ? nullptr : expected->second) << step;
    }
    for (const auto& [key, text] : model) EXPECT_EQ(table.Find(key), text);
}

}  // namespace
}  // namespace qi
