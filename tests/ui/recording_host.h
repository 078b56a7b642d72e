#pragma once
// A front end's host for tests: programs it would start are recorded (and
// answered as started), and no file manager or document program opens.
#include <string>
#include <vector>

#include "wizard/shell_link.h"

namespace qi::test {

template <typename Host>
class RecordingHost : public Host {
public:
    using Host::Host;
    int StartProgram(const std::string& file, const std::string& arguments) override {
        started.push_back(file + "|" + arguments);
        return 42;
    }
    void OpenShortcutFolder(TShellLinkType, const std::string&) override {}
    void OpenDocument(const std::string&, const std::string&) override {}
    std::vector<std::string> started;
};

}  // namespace qi::test
