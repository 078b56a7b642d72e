// qpack: the command-line tool for install settings and game-data archives.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "cli.h"
#include "platform/platform.h"

namespace qpack {
namespace {

std::vector<Command> AllCommands() {
    std::vector<Command> all = SettingsCommands();
    all.insert(all.end(), ArchiveCommands().begin(), ArchiveCommands().end());
    all.insert(all.end(), ImageCommands().begin(), ImageCommands().end());
    all.insert(all.end(), ReleaseCommands().begin(), ReleaseCommands().end());
    return all;
}

void PrintOverview(std::FILE* out) {
    std::fprintf(out,
                 "usage: qpack COMMAND [ARGS...]\n"
                 "       qpack COMMAND --help\n\n"
                 "Commands:\n");
    for (const Command& c : AllCommands()) std::fprintf(out, "  qpack %s %s\n", c.name, c.usage);
    std::fprintf(out,
                 "\nFile arguments are paths of this system. Exit status: 0 success, 1 bad\n"
                 "input (one line on stderr names the file and the fault), 2 usage error.\n");
}

bool IsHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

// "qpack settings --help": the commands of that group, each with its help.
bool PrintGroup(const std::vector<std::string>& args) {
    if (args.size() != 2 || !IsHelp(args[1])) return false;
    bool found = false;
    for (const Command& c : AllCommands()) {
        const std::string name = c.name;
        if (name.compare(0, args[0].size() + 1, args[0] + " ") != 0) continue;
        std::printf("%susage: qpack %s %s\n\n%s", found ? "\n" : "", c.name, c.usage, c.help);
        found = true;
    }
    return found;
}

// Finds the command whose words open the argument list.
const Command* Match(const std::vector<std::string>& args, size_t& words) {
    static const std::vector<Command> commands = AllCommands();
    for (const Command& c : commands) {
        std::string joined;
        for (words = 0; words < args.size(); ++words) {
            joined += (words ? " " : "") + args[words];
            if (joined == c.name) {
                ++words;
                return &c;
            }
        }
    }
    return nullptr;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty() || IsHelp(args[0])) {
        PrintOverview(args.empty() ? stderr : stdout);
        return args.empty() ? kExitUsage : kExitOk;
    }
    size_t words = 0;
    const Command* command = Match(args, words);
    if (!command && PrintGroup(args)) return kExitOk;
    if (!command) {
        std::fprintf(stderr, "qpack: unknown command '%s' (see qpack --help)\n", args[0].c_str());
        return kExitUsage;
    }
    std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(words), args.end());
    for (const std::string& arg : rest) {
        if (IsHelp(arg)) {
            std::printf("usage: qpack %s %s\n\n%s", command->name, command->usage, command->help);
            return kExitOk;
        }
    }
    try {
        return command->run(rest);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "qpack: %s\nusage: qpack %s %s\n", e.what(), command->name, command->usage);
        return kExitUsage;
    } catch (const InputError& e) {  // already printable text
        std::fprintf(stderr, "qpack: %s\n", e.what());
        return kExitBadInput;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qpack: %s\n", Printable(e.what()).c_str());
        return kExitBadInput;
    }
}

}  // namespace
}  // namespace qpack

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // Archive entries pass through buffers of some hundred KiB, made and
    // freed by the thousand: freed memory is kept for the next entry rather
    // than handed back to the system and faulted in again.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
    qi::platform::SetBinaryStdout();
    qi::platform::ShowUtf8OnConsole();
    return qpack::Run(qi::platform::Utf8Arguments(argc, argv));
}
