#pragma once
// Linux test helpers: environment variables set for one test, and a private
// QINSTALL_ROOT so that tests looking at the state files on the host do not
// meet those of tests running at the same time.
#ifndef _WIN32
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace qi::test {

class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = getenv(name)) saved_ = old;
        Set(value);
    }
    ~ScopedVariable() { Set(saved_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            setenv(name_, value->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

    const char* name_;
    std::optional<std::string> saved_;
};

class PrivateRoot {
public:
    PrivateRoot() : folder_(MakeFolder()), variable_("QINSTALL_ROOT", folder_) {}
    ~PrivateRoot() { std::filesystem::remove_all(folder_); }
    const std::string& Folder() const { return folder_; }

private:
    static std::string MakeFolder() {
        char pattern[] = "/tmp/qi-root-XXXXXX";
        if (!mkdtemp(pattern)) throw std::runtime_error("cannot create a private root");
        return pattern;
    }

    std::string folder_;
    ScopedVariable variable_;
};

}  // namespace qi::test
#endif  // _WIN32
