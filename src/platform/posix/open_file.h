#pragma once
// Opening files with Windows sharing rules, shared by OpenFile and the copy.
#include <memory>
#include <string>

#include "platform/platform.h"

namespace qi::platform::posix {

enum class Creation { OpenExisting, CreateAlways, CreateNew };

// Opens the host file native; windowsPath names it in errors. Raises qi::Error
// when it cannot be opened or another opener's sharing forbids it.
std::unique_ptr<File> OpenHostFile(const std::string& native, const std::string& windowsPath, Access access,
                                   Share share, Creation creation);

// Windows refuses to write to or delete a file with the read-only attribute,
// also for administrators; the attribute is the missing owner write bit.
bool IsReadOnlyFile(const std::string& native);

// The descriptor of a file that OpenHostFile opened.
int HostDescriptor(File& file);

}  // namespace qi::platform::posix
