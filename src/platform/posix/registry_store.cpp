#include "platform/posix/registry_store.h"

#include <algorithm>
#include <sstream>

#include "base/cp932.h"
#include "platform/error.h"
#include "platform/platform.h"
#include "platform/posix/escaped_text.h"
#include "platform/posix/roots.h"

namespace qi::platform::posix {
namespace {

constexpr const char* kRoots[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

void SerializeNode(const RegistryNode& node, RegistryPath& path, std::string& out) {
    path.push_back(node.name);
    // A key that only holds sub-keys is implied by their sections.
    if (!node.values.empty() || node.children.empty()) out += "\n[" + EscapeText(JoinPath(path), ']') + "]\n";
    for (const auto& value : node.values) {
        out += '"' + EscapeText(value.name, '"') + "\"=";
        out += value.isString ? '"' + EscapeText(value.data, '"') + '"' : value.data;
        out += '\n';
    }
    for (const auto& child : node.children) SerializeNode(child, path, out);
    path.pop_back();
}

// A section header: the key it names, created in store.
RegistryNode& ParseHeader(RegistryStore& store, std::string_view line) {
    size_t pos = 1;
    RegistryPath path = SplitAtDelimiters(UnescapeText(line, pos, ']'));
    if (pos != line.size()) throw Error("text after the key name");
    bool known = !path.empty() && std::any_of(std::begin(kRoots), std::end(kRoots),
                                               [&](const char* root) { return SameText(path[0], root); });
    if (!known) throw Error("a key outside the known roots");
    return store.Create(path);
}

void ParseValue(RegistryNode& key, std::string_view line) {
    size_t pos = 1;
    std::string name = UnescapeText(line, pos, '"');
    if (pos >= line.size() || line[pos] != '=') throw Error("a value without \"=\"");
    ++pos;
    if (pos < line.size() && line[pos] == '"') {
        ++pos;
        std::string text = UnescapeText(line, pos, '"');
        if (pos != line.size()) throw Error("text after the value");
        key.SetString(name, text);
        return;
    }
    std::string stored(line.substr(pos));
    if (stored.find(':') == std::string::npos) throw Error("a value of no known form");
    key.RemoveValue(name);
    key.values.push_back({name, false, stored});
}

}  // namespace

std::string JoinPath(const RegistryPath& path) {
    std::string joined;
    for (const auto& part : path) joined += (joined.empty() ? "" : "\\") + part;
    return joined;
}

RegistryNode* RegistryNode::Child(const std::string& childName) {
    for (auto& child : children) {
        if (SameText(child.name, childName)) return &child;
    }
    return nullptr;
}

RegistryValue* RegistryNode::Value(const std::string& valueName) {
    for (auto& value : values) {
        if (SameText(value.name, valueName)) return &value;
    }
    return nullptr;
}

void RegistryNode::SetString(const std::string& valueName, const std::string& text) {
    if (RegistryValue* value = Value(valueName)) {
        *value = {value->name, true, text};
    } else {
        values.push_back({valueName, true, text});
    }
}

bool RegistryNode::RemoveValue(const std::string& valueName) {
    return std::erase_if(values, [&](const RegistryValue& value) { return SameText(value.name, valueName); }) > 0;
}

RegistryStore::RegistryStore() {
    for (const char* root : kRoots) top_.children.push_back({root, {}, {}});
}

RegistryStore RegistryStore::Parse(const std::string& text, const std::string& file) {
    RegistryStore store;
    RegistryNode* key = nullptr;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        try {
            if (line.empty() || line[0] == ';' || line[0] == '#') continue;
            if (line[0] == '[') {
                key = &ParseHeader(store, line);
            } else if (line[0] == '"' && key) {
                ParseValue(*key, line);
            } else {
                throw Error("a line of no known form");
            }
        } catch (const Error& error) {
            throw Error(file + " line " + std::to_string(number) + ": " + error.what());
        }
    }
    return store;
}

RegistryStore RegistryStore::Initial() {
    RegistryStore store;
    std::string user;
    try {
        user = Cp932FromUtf8(UserName());
    } catch (const Error&) {
        return store;  // a user name without a code page 932 form has no profile
    }
    const std::string sid = "S-1-5-21-0-0-0-1000";
    store.Create({"HKEY_LOCAL_MACHINE", "Software", "Microsoft", "Windows NT", "CurrentVersion", "ProfileList", sid})
        .SetString("ProfileImagePath", "%SystemDrive%\\users\\" + user);
    store.Create({"HKEY_USERS", sid, "Software", "Microsoft", "Windows", "CurrentVersion", "Explorer",
                  "User Shell Folders"})
        .SetString("Local AppData", "%USERPROFILE%\\AppData\\Local");
    store.Create({"HKEY_USERS", ".DEFAULT"});
    return store;
}

std::string RegistryStore::Serialize() const {
    std::string out = "; Registry of the setup program. UTF-8; \\xHH stands for a byte without a UTF-8 form.\n";
    RegistryPath path;
    for (const auto& root : top_.children) SerializeNode(root, path, out);
    return out;
}

RegistryNode* RegistryStore::Find(const RegistryPath& path) {
    RegistryNode* node = &top_;
    for (const auto& part : path) {
        if (!(node = node->Child(part))) return nullptr;
    }
    return node;
}

RegistryNode& RegistryStore::Create(const RegistryPath& path) {
    RegistryNode* node = &top_;
    for (const auto& part : path) {
        RegistryNode* child = node->Child(part);
        if (!child) child = &node->children.emplace_back(RegistryNode{part, {}, {}});
        node = child;
    }
    return *node;
}

bool RegistryStore::Remove(const RegistryPath& path) {
    if (path.size() < 2) return false;
    RegistryNode* parent = Find(RegistryPath(path.begin(), path.end() - 1));
    if (!parent) return false;
    return std::erase_if(parent->children, [&](const RegistryNode& child) { return SameText(child.name, path.back()); }) > 0;
}

}  // namespace qi::platform::posix
