// qpack release: a game folder and a project file in, discs or a download
// (and an update, disc images) out.
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <optional>

#include "base/path_helpers.h"
#include "cli.h"
#include "platform/platform.h"
#include "progress.h"
#include "release/medium.h"
#include "release/project.h"
#include "release/release.h"
#include "release/release_error.h"

namespace qpack {

namespace {

// The setup program built beside this qpack.
std::string DefaultSetup() {
    const std::string folder = qi::ExtractFilePath(qi::platform::ModuleFileName());
#if defined(_WIN32)
    return folder + "qinstall.exe";
#else
    return folder + "qinstall";
#endif
}

std::string Bytes(int64_t value) { return qi::FormatThousands(value); }

void PrintReport(const qi::ReleaseReport& report) {
    std::printf("%-14s %8s %9s %8s %16s %16s\n", "output", "files", "entries", "zlib", "bytes", "free");
    for (const qi::ReleaseRow& row : report.Rows) {
        std::printf("%-14s %8" PRId64 " %9" PRId64 " %8" PRId64 " %16s %16s\n", row.Output.c_str(), row.Files,
                    row.Entries, row.Compressed, Bytes(row.Bytes).c_str(), row.Free < 0 ? "-" : Bytes(row.Free).c_str());
    }
    for (const std::string& note : report.Notes) std::printf("%s\n", note.c_str());
}

int Release(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    qi::ReleaseOptions options;
    options.Jobs = TakeJobsOption(args);
    std::optional<qi::Medium> medium;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--dry-run") {
            options.DryRun = true;
        } else if (args[i] == "--iso") {
            options.Iso = true;
        } else if (args[i] == "--media") {
            if (i + 1 >= args.size() || !(medium = qi::ParseMedium(args[++i]))) {
                throw UsageError("--media takes cd650, cd700, dvd, dvd-dl, download or a size such as 2G");
            }
        } else if (args[i] == "--sign-cert" || args[i] == "--sign-key" || args[i] == "--sign-pkcs12") {
            if (i + 1 >= args.size()) throw UsageError(args[i] + " needs a FILE");
            std::string& file = args[i] == "--sign-cert"  ? options.Signing.Certificate
                                : args[i] == "--sign-key" ? options.Signing.Key
                                                          : options.Signing.Pkcs12;
            file = CorePath(args[++i]);
        } else if (args[i] == "--update-from") {
            if (i + 1 >= args.size()) throw UsageError("--update-from needs the earlier release's folder");
            options.UpdateFrom = CorePath(args[++i]);
        } else if (!args[i].empty() && args[i][0] == '-') {
            throw UsageError("unknown option " + args[i]);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) throw UsageError("release takes PROJECT and OUT");
    const qi::SigningKeys& keys = options.Signing;
    if (keys.Certificate.empty() != keys.Key.empty() || (!keys.Pkcs12.empty() && !keys.Certificate.empty())) {
        throw UsageError("signing takes --sign-cert with --sign-key, or --sign-pkcs12");
    }
    options.Out = CorePath(positional[1]);
    try {
        qi::ReleaseProject project = qi::LoadProject(CorePath(positional[0]), DefaultSetup());
        if (medium) project.Target = *medium;
        std::unique_ptr<ProgressBar> progress;
        options.OnProgress = [&](int files, int totalFiles, int64_t bytes, int64_t totalBytes) {
            if (!progress) progress = std::make_unique<ProgressBar>("release", totalFiles, totalBytes);
            progress->Update(files, bytes);
        };
        const qi::ReleaseReport report = qi::MakeRelease(project, options);
        progress.reset();
        PrintReport(report);
    } catch (const qi::ReleaseError& e) {
        std::fprintf(stderr, "qpack: %s\n", e.what());
        return kExitBadInput;
    } catch (const qi::Error& e) {
        std::fprintf(stderr, "qpack: %s\n", Printable(e.what()).c_str());
        return kExitBadInput;
    }
    return kExitOk;
}

}  // namespace

const std::vector<Command>& ReleaseCommands() {
    static const std::vector<Command> commands = {
        {"release", "PROJECT OUT [--media MEDIA] [--update-from OLD_OUT] [--iso] [--sign-cert CERT --sign-key KEY | --sign-pkcs12 P12] [--dry-run] [--jobs N]",
         "Turns a game folder into what a player installs from, as the project file\n"
         "(TOML) says: for disc media OUT/disc1, OUT/disc2, ... each within the\n"
         "medium's capacity with the setup program as install.exe, autorun.inf on\n"
         "disc 1, the disc's install.dat, game.dat and plain files; for \"download\"\n"
         "OUT/setup.exe (\"setup\" for a Linux setup program), which carries the\n"
         "whole game. OUT must not exist; it appears only when the release is\n"
         "complete. The same project and files give the same bytes.\n\n"
         "Project keys (paths relative to the project file):\n"
         "  title, game, exe (required); readme, default_folder, registry_key,\n"
         "  footer, hello and license (files of text), title_image (a png, tga,\n"
         "  bmp, ico, cur or layered image), icon (any such picture, the disc's\n"
         "  icon in autorun.inf), setup (default: qinstall beside qpack),\n"
         "  media = cd650 | cd700 | dvd | dvd-dl | download | a size such as \"2G\",\n"
         "  archive = [patterns of files for game.dat] (default: all but program,\n"
         "  readme, sound and movie files), loose = [patterns of archive files\n"
         "  installed as files of their own], and a [settings] table with any\n"
         "  setting by the name \"qpack settings show\" prints.\n"
         "  Patterns: \"*\" any run of characters (folders included), \"?\" one.\n\n"
         "  --media MEDIA        the medium, in place of the project's\n"
         "  --update-from OLD    also write OUT/update.exe (\"update\" for a Linux setup\n"
         "                       program): the setup program with an update archive of\n"
         "                       the files that differ from the release in OLD (by size\n"
         "                       and CRC-32) or are new, stamped newer than OLD's; run by a\n"
         "                       player it brings an installed OLD release to this one.\n"
         "                       Files deleted since OLD are listed (an update cannot\n"
         "                       delete them).\n"
         "  --iso                also OUT/disc1.iso, ... (xorriso): ISO 9660 with Joliet\n"
         "                       and Rock Ridge, volume named after the title; dates\n"
         "                       from SOURCE_DATE_EPOCH when set\n"
         "  --sign-cert CERT --sign-key KEY, or --sign-pkcs12 P12\n"
         "                       sign the Windows programs (install.exe, setup.exe,\n"
         "                       update.exe) with osslsigncode (or the program the\n"
         "                       QPACK_OSSLSIGNCODE environment variable names) and\n"
         "                       verify them\n"
         "  --dry-run            print the plan (per disc: files, entries, bytes, free\n"
         "                       space; an update's counts) and write nothing\n"
         "  --jobs N             compress on N threads (default: one per processor)\n",
         Release},
    };
    return commands;
}

}  // namespace qpack
