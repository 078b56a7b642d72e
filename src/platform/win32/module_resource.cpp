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

}  // namespace

std::optional<std::vector<uint8_t>> LoadModuleResource(const std::string& moduleFile, const std::string& name,
                                                       const std::string& type) {
    HMODULE module = LoadLibraryExW(win32::Wide(moduleFile).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return std::nullopt;
    auto data = CopyResource(module, name, type);
    FreeLibrary(module);
    return data;
}

}  // namespace qi::platform
