#pragma once
// Small helpers over host (UTF-8) paths.
#include <sys/stat.h>

#include <optional>
#include <string>

namespace qi::platform::posix {

bool NameExists(const std::string& native);  // any kind of entry, dangling links included
// lstat() of native; nullopt when nothing stands there.
std::optional<struct stat> LinkStatus(const std::string& native);
bool IsDirectory(const std::string& native);
// Creates the folders of native that lie beyond its first keepLength bytes,
// parents first. True when native is a folder afterwards.
bool MakeFolders(const std::string& native, size_t keepLength = 0);
std::string CurrentDirectory();
// The parent folder of an absolute host path ("/" for "/x").
std::string ParentOf(const std::string& native);

}  // namespace qi::platform::posix
