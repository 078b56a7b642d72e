// qpack settings show | write
#include <stdexcept>

#include "cli.h"
#include "json.h"
#include "settings_json.h"
#include "streams/stream.h"

namespace qpack {
namespace {

qi::TQuorInstallSet LoadSettings(const std::string& file) {
    qi::TQuorInstallSet settings;
    try {
        settings.LoadFromFile(CorePath(file));
    } catch (const qi::Error& e) {
        throw InputError(file, Printable(e.what()));
    }
    return settings;
}

int Show(const std::vector<std::string>& args) {
    if (args.size() != 1) throw UsageError("settings show takes one FILE");
    qi::TQuorInstallSet settings = LoadSettings(args[0]);
    try {
        WriteStdout(SettingsToJson(settings).Dump() + "\n");
    } catch (const qi::Error& e) {
        throw InputError(args[0], Printable(e.what()));
    }
    return kExitOk;
}

int Write(const std::vector<std::string>& args) {
    if (args.size() != 2) throw UsageError("settings write takes JSON and OUT");
    qi::TQuorInstallSet settings;
    try {
        SettingsFromJson(ParseJson(ReadWholeFile(args[0])), settings);
    } catch (const InputError&) {
        throw;
    } catch (const std::exception& e) {
        throw InputError(args[0], e.what());
    }
    try {
        settings.SaveToFile(CorePath(args[1]));
    } catch (const qi::Error& e) {
        throw InputError(args[1], Printable(e.what()));
    }
    return kExitOk;
}

}  // namespace

const std::vector<Command>& SettingsCommands() {
    static const std::vector<Command> commands = {
        {"settings show", "FILE",
         "Prints the install settings FILE (\"install.dat\") as one JSON object:\n"
         "\"FormatVersion\" (0 for a file without header) and every field under its\n"
         "own name, text in UTF-8, flags as true/false, sizes as numbers.\n",
         Show},
        {"settings write", "JSON OUT",
         "Writes the install settings OUT (header \"is108\") from a JSON object shaped\n"
         "as 'settings show' prints it. A missing key keeps its default (empty, 0 or\n"
         "false); the per-disc size arrays take their length from \"DiscCount\" or,\n"
         "without it, from the longest array. Unknown keys, wrong types, numbers out\n"
         "of range and text that code page 932 cannot hold are errors.\n",
         Write},
    };
    return commands;
}

}  // namespace qpack
