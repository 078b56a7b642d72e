#pragma once
// A small JSON value with a strict parser and an indenting writer. Numbers
// keep their text so that 64-bit integers survive unchanged.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qpack {

class Json {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    Json() = default;
    static Json Bool(bool value);
    static Json Integer(int64_t value);
    static Json Unsigned(uint64_t value);
    static Json String(std::string utf8);
    static Json Array();
    static Json Object();

    Kind kind() const { return kind_; }
    bool AsBool() const { return bool_; }
    const std::string& Text() const { return text_; }  // string or number text
    // The number as an integer; false when it is not one or out of range.
    bool AsInt64(int64_t& out) const;
    std::vector<Json>& Items() { return items_; }
    const std::vector<Json>& Items() const { return items_; }
    const std::vector<std::pair<std::string, Json>>& Members() const { return members_; }

    Json& Add(Json value);                         // array
    Json& Set(const std::string& key, Json value);  // object, keeps key order
    const Json* Find(const std::string& key) const;

    std::string Dump(int indent = 2) const;

private:
    friend class JsonParser;
    Kind kind_ = Kind::Null;
    bool bool_ = false;
    std::string text_;
    std::vector<Json> items_;
    std::vector<std::pair<std::string, Json>> members_;
};

// Raises std::runtime_error with the line and column of the first fault.
Json ParseJson(const std::string& text);

}  // namespace qpack
