#include "settings_json.h"

#include <limits>
#include <stdexcept>
#include <variant>

#include "platform/platform.h"
#include "settings/settings_fields.h"

namespace qpack {

using qi::TQuorInstallSet;

namespace {

Json Text(const std::string& cp932) { return Json::String(qi::platform::Utf8FromCp932(cp932)); }

struct ToJson {
    const TQuorInstallSet& s;
    Json operator()(std::string TQuorInstallSet::*m) const { return Text(s.*m); }
    Json operator()(bool TQuorInstallSet::*m) const { return Json::Bool(s.*m); }
    Json operator()(uint8_t TQuorInstallSet::*m) const { return Json::Integer(s.*m); }
    Json operator()(int32_t TQuorInstallSet::*m) const { return Json::Integer(s.*m); }
    Json operator()(int64_t TQuorInstallSet::*m) const { return Json::Integer(s.*m); }
    Json operator()(std::vector<int64_t> TQuorInstallSet::*m) const {
        Json array = Json::Array();
        for (int64_t v : s.*m) array.Add(Json::Integer(v));
        return array;
    }
    Json operator()(std::vector<std::string> TQuorInstallSet::*m) const {
        Json array = Json::Array();
        for (const auto& v : s.*m) array.Add(Text(v));
        return array;
    }
};

class FromJson {
public:
    FromJson(TQuorInstallSet& s, const std::string& key, const Json& value) : s_(s), key_(key), value_(value) {}

    void operator()(std::string TQuorInstallSet::*m) const { s_.*m = TextOf(value_); }
    void operator()(bool TQuorInstallSet::*m) const {
        if (value_.kind() != Json::Kind::Bool) Fail("must be true or false");
        s_.*m = value_.AsBool();
    }
    void operator()(uint8_t TQuorInstallSet::*m) const { s_.*m = static_cast<uint8_t>(IntegerOf(value_, 0, 255)); }
    void operator()(int32_t TQuorInstallSet::*m) const {
        s_.*m = static_cast<int32_t>(
            IntegerOf(value_, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    }
    void operator()(int64_t TQuorInstallSet::*m) const {
        s_.*m = IntegerOf(value_, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
    }
    void operator()(std::vector<int64_t> TQuorInstallSet::*m) const {
        std::vector<int64_t> values;
        for (const Json& item : ArrayOf(value_)) {
            values.push_back(IntegerOf(item, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max()));
        }
        s_.*m = std::move(values);
    }
    void operator()(std::vector<std::string> TQuorInstallSet::*m) const {
        std::vector<std::string> values;
        for (const Json& item : ArrayOf(value_)) values.push_back(TextOf(item));
        s_.*m = std::move(values);
    }

private:
    [[noreturn]] void Fail(const std::string& what) const { throw std::runtime_error("\"" + key_ + "\" " + what); }

    std::string TextOf(const Json& j) const {
        if (j.kind() != Json::Kind::String) Fail("must be a string");
        try {
            return qi::platform::Cp932FromUtf8(j.Text());
        } catch (const qi::Error&) {
            Fail("holds text that code page 932 cannot hold");
        }
    }
    int64_t IntegerOf(const Json& j, int64_t low, int64_t high) const {
        int64_t v = 0;
        if (!j.AsInt64(v)) Fail("must be an integer");
        if (v < low || v > high) Fail("is out of range (" + std::to_string(low) + " to " + std::to_string(high) + ")");
        return v;
    }
    const std::vector<Json>& ArrayOf(const Json& j) const {
        if (j.kind() != Json::Kind::Array) Fail("must be an array");
        return j.Items();
    }

    TQuorInstallSet& s_;
    const std::string& key_;
    const Json& value_;
};

// The per-disc arrays follow DiscCount: given, or the longest array given.
void FitDiscArrays(TQuorInstallSet& s, bool discCountGiven) {
    size_t longest = 0;
    for (auto* sizes : {&s.ProgramSizes, &s.DataSizes, &s.SoundSizes, &s.MovieSizes}) {
        longest = std::max(longest, sizes->size());
    }
    if (!discCountGiven) s.DiscCount = static_cast<int32_t>(longest);
    if (s.DiscCount < 0) throw std::runtime_error("\"DiscCount\" must not be negative");
    if (longest > static_cast<size_t>(s.DiscCount)) {
        throw std::runtime_error("a per-disc array is longer than \"DiscCount\" (" + std::to_string(s.DiscCount) + ")");
    }
    s.SetDiscCount(s.DiscCount);
}

}  // namespace

Json SettingsToJson(const TQuorInstallSet& settings) {
    Json object = Json::Object();
    object.Set("FormatVersion", Json::Integer(settings.FormatVersion));
    for (const qi::SettingsField& field : qi::AllSettingsFields()) object.Set(field.name, std::visit(ToJson{settings}, field.member));
    return object;
}

void SettingsFromJson(const Json& object, TQuorInstallSet& settings) {
    if (object.kind() != Json::Kind::Object) throw std::runtime_error("the settings must be one JSON object");
    for (const auto& [key, value] : object.Members()) {
        if (key == "FormatVersion") continue;  // the writer always writes its own version
        const qi::SettingsField* field = qi::FindSettingsField(key);
        if (!field) throw std::runtime_error("unknown key \"" + key + "\"");
        std::visit(FromJson(settings, key, value), field->member);
    }
    FitDiscArrays(settings, object.Find("DiscCount") != nullptr);
}

}  // namespace qpack
