#pragma once
// A fresh, empty folder per test, below the platform's temporary folder
// (inside the sandbox root on Linux). Removed again when the test ends.
#include <string>

namespace qi::test {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    // The folder as a Windows path with a trailing "\".
    const std::string& Path() const { return path_; }
    // Path() + name.
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// Writes bytes to a file (a Windows path) and reads a whole file back.
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

}  // namespace qi::test
