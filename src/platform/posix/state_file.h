#pragma once
// Files of the program's own state (the registry store, the pending
// deletions) that several processes change: every change is made under an
// exclusive lock and replaces the file in one step, so a reader never sees
// half a file and a crash never leaves one.
#include <optional>
#include <string>

namespace qi::platform::posix {

// Holds an exclusive flock on "<file>.lock" for its lifetime (waiting for
// it). Raises qi::Error when the lock file cannot be opened.
class StateFileLock {
public:
    explicit StateFileLock(const std::string& file);
    ~StateFileLock();
    StateFileLock(const StateFileLock&) = delete;
    StateFileLock& operator=(const StateFileLock&) = delete;

private:
    int fd_;
};

// The whole content; nullopt when the file does not exist. Raises qi::Error
// when it exists but cannot be read.
std::optional<std::string> ReadStateFile(const std::string& file);

// With the StateFileLock of file held: writes "<file>.new" (created afresh,
// never through a link), flushes it to the disk and renames it over file.
// Raises qi::Error on failure, leaving file as it was.
void ReplaceStateFile(const std::string& file, const std::string& content);

}  // namespace qi::platform::posix
