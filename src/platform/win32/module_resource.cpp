// Resources of another program file, loaded as data without running it.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace qi::platform {
namespace {

std::optional<std::vector<uint8_t>> CopyResource(HMODULE module, const std::string& name,
                                                 const std::string& type) {
    HRSRC found = FindResourceW(module, win32::Wide(name).c_str(), win32::Wide(type).c_str());
    if (!found) return std::nullopt;
    HGLOBAL loaded = LoadResource(module, found);
    const auto* bytes = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    if (!bytes) return std::nullopt;
    return std::vector<uint8_t>(bytes, bytes + SizeofResource(module, found));
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

// The languages the resource (name, type) is stored in.
std::vector<WORD> ResourceLanguages(const std::wstring& file, const std::wstring& name, const std::wstring& type) {
    std::vector<WORD> languages;
    HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return languages;
    EnumResourceLanguagesW(module, type.c_str(), name.c_str(), AddLanguage, reinterpret_cast<LONG_PTR>(&languages));
    FreeLibrary(module);
    return languages;
}

}  // namespace

bool RemoveModuleResource(const std::string& moduleFile, const std::string& name, const std::string& type) {
    const std::wstring file = win32::Wide(moduleFile), wideName = win32::Wide(name), wideType = win32::Wide(type);
    std::vector<WORD> languages = ResourceLanguages(file, wideName, wideType);
    if (languages.empty()) return false;
    HANDLE update = BeginUpdateResourceW(file.c_str(), FALSE);
    if (!update) return false;
    for (WORD language : languages) UpdateResourceW(update, wideType.c_str(), wideName.c_str(), language, nullptr, 0);
    return EndUpdateResourceW(update, FALSE) != 0;
}

std::optional<std::vector<uint8_t>> LoadModuleResource(const std::string& moduleFile, const std::string& name,
                                                       const std::string& type) {
    HMODULE module = LoadLibraryExW(win32::Wide(moduleFile).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return std::nullopt;
    auto data = CopyResource(module, name, type);
    FreeLibrary(module);
    return data;
}

}  // namespace qi::platform
