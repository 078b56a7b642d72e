#pragma once
// The registry as a tree of keys kept in one text file, in sections like
//
//   [HKEY_CURRENT_USER\\Software\\Maker\\Game]
//   "InstallPath"="C:\\Games\\Title"
//   "Count"=dword:00000001
//
// Texts are escaped UTF-8 (escaped_text.h). Key and value names compare
// ignoring ASCII case and keep the case they were created with. Values that
// are not strings keep their stored form unchanged.
#include <string>
#include <vector>

namespace qi::platform::posix {

struct RegistryValue {
    std::string name;  // code page 932
    bool isString;
    std::string data;  // the string, or the stored form of another type
};

struct RegistryNode {
    std::string name;
    std::vector<RegistryValue> values;
    std::vector<RegistryNode> children;

    RegistryNode* Child(const std::string& childName);
    RegistryValue* Value(const std::string& valueName);
    void SetString(const std::string& valueName, const std::string& text);
    bool RemoveValue(const std::string& valueName);
};

// A key path: the root's name ("HKEY_CURRENT_USER") and the keys below it.
using RegistryPath = std::vector<std::string>;

// The path as one text with "\" between the keys.
std::string JoinPath(const RegistryPath& path);

class RegistryStore {
public:
    RegistryStore();
    // Raises qi::Error naming file and line when the text cannot be read.
    static RegistryStore Parse(const std::string& text, const std::string& file);
    // What a store holds before its first change: the profile of the user in
    // the layout Windows keeps in HKEY_LOCAL_MACHINE and HKEY_USERS.
    static RegistryStore Initial();
    std::string Serialize() const;

    RegistryNode* Find(const RegistryPath& path);
    RegistryNode& Create(const RegistryPath& path);  // with missing parents
    bool Remove(const RegistryPath& path);            // with its sub-keys; never a root

private:
    RegistryNode top_;  // its children are the roots
};

}  // namespace qi::platform::posix
