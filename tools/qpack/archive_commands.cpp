// qpack list | cat | extract | verify | create | merge | attach
#include <cinttypes>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <thread>

#include "archive/ordered_work.h"
#include "archive/vrfiles.h"
#include "base/cp932.h"
#include "base/wildcard.h"
#include "base/path_helpers.h"
#include "cli.h"
#include "json.h"
#include "platform/file_helpers.h"
#include "platform/platform.h"
#include "progress.h"

namespace qpack {
namespace {

bool IsSentinel(const qi::TVrFile& item) { return item.Name() == qi::kEOFEntryName; }
bool IsReplaced(const qi::TVrFile& item) { return !item.Name().empty() && item.Name()[0] == '/'; }

// Whether the file is a Windows or Linux program, whatever its name.
bool IsProgramFile(const std::string& path) {
    char head[4] = {};
    qi::TFileStream(path, qi::fmOpenRead | qi::fmShareDenyWrite).Read(head, 4);
    return (head[0] == 'M' && head[1] == 'Z') || std::string(head, 4) == "\x7f" "ELF";
}

// Opens an archive file or a program carrying one; a folder or a missing
// file is bad input here.
void OpenArchive(qi::TVrFileCollection& archive, const std::string& argument) {
    std::string path = CorePath(argument);
    if (qi::platform::DirectoryExists(path)) throw InputError(argument, "is a folder, not an archive file");
    if (!qi::platform::FileExists(path)) throw InputError(argument, "no such archive file");
    Guarded(argument, [&] { IsProgramFile(path) ? archive.OpenAppended(path) : archive.Open(path); });
}

std::string EntryName(const std::string& archiveArgument, const std::string& utf8) {
    try {
        return qi::platform::Cp932FromUtf8(utf8);
    } catch (const qi::Error&) {
        throw InputError(archiveArgument, "the entry name '" + utf8 + "' cannot be written in code page 932");
    }
}

std::string Utf8Name(const std::string& archiveArgument, const std::string& cp932) {
    try {
        return qi::platform::Utf8FromCp932(cp932);
    } catch (const qi::Error&) {
        throw InputError(archiveArgument, "an entry name is not valid code page 932 text");
    }
}

int List(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> files;
    for (const auto& arg : args) {
        if (arg == "--json") {
            json = true;
        } else if (!arg.empty() && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 1) throw UsageError("list takes one ARCHIVE");
    qi::TVrFileCollection archive;
    OpenArchive(archive, files[0]);
    if (json) {
        Json entries = Json::Array();
        for (int i = 0; i < archive.Count(); ++i) {
            const qi::TVrFile& item = archive.Items(i);
            if (IsSentinel(item)) continue;
            Json entry = Json::Object();
            entry.Set("name", Json::String(Utf8Name(files[0], item.Name())));
            entry.Set("offset", Json::Integer(item.Offset));
            entry.Set("size", Json::Integer(item.Size));
            entry.Set("stored", Json::Bool(item.Stored != 0));
            entry.Set("filetime", Json::Unsigned(static_cast<uint32_t>(item.FileTime)));
            entry.Set("checksum", Json::Unsigned(item.Checksum));
            entry.Set("loose", Json::Bool(item.LooseFile != 0));
            entries.Add(std::move(entry));
        }
        Json root = Json::Object();
        root.Set("version", Json::Integer(archive.Version));
        root.Set("entries", std::move(entries));
        WriteStdout(root.Dump() + "\n");
        return kExitOk;
    }
    std::string out;
    char line[96];
    for (int i = 0; i < archive.Count(); ++i) {
        const qi::TVrFile& item = archive.Items(i);
        if (IsSentinel(item)) continue;
        std::snprintf(line, sizeof line, "%12" PRId64 "  %-6s %08" PRIX32 "  %s", item.Size,
                      item.Stored ? "stored" : "zlib", item.Checksum, item.LooseFile ? "loose " : "");
        out += line + Utf8Name(files[0], item.Name()) + "\n";
    }
    WriteStdout(out);
    return kExitOk;
}

int Cat(const std::vector<std::string>& args) {
    if (args.size() != 2) throw UsageError("cat takes ARCHIVE and NAME");
    qi::TVrFileCollection archive;
    OpenArchive(archive, args[0]);
    qi::TMemoryStream content;
    std::string name = EntryName(args[0], args[1]);
    Guarded(args[0], [&] { archive.ExtractToStream(content, name); });
    WriteStdout(std::string(content.Bytes().begin(), content.Bytes().end()));
    return kExitOk;
}

// Entry names become paths below DIR and nowhere else; their folders are
// made before any entry is written.
void MakeEntryFolders(const std::string& archiveArg, qi::TVrFileCollection& archive, const std::vector<int>& chosen,
                      const std::string& folder) {
    std::set<std::string> parents;
    Guarded(archiveArg, [&] {
        for (int index : chosen) {
            qi::CheckEntryPath(archive.Items(index).Name());
            parents.insert(qi::ExtractFilePath(folder + archive.Items(index).Name()));
        }
        for (const std::string& parent : parents) {
            if (!qi::platform::DirectoryExists(parent) && !qi::platform::CreateFolders(parent)) {
                throw qi::Error(parent + ":フォルダを作成できません");
            }
        }
    });
}

// Entries of this average size or more are worth threads of their own.
constexpr int64_t kThreadedEntrySize = 0x10000;

int Extract(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const int jobs = TakeJobsOption(args);
    if (args.size() < 2) throw UsageError("extract takes ARCHIVE, DIR and optional NAMEs");
    qi::TVrFileCollection archive;
    OpenArchive(archive, args[0]);
    std::string folder = qi::AddBackslash(CorePath(args[1]));

    std::vector<int> chosen;
    if (args.size() == 2) {
        for (int i = 0; i < archive.Count(); ++i) {
            if (!IsSentinel(archive.Items(i)) && !IsReplaced(archive.Items(i))) chosen.push_back(i);
        }
    } else {
        for (size_t a = 2; a < args.size(); ++a) {
            int index = archive.IndexOf(EntryName(args[0], args[a]));
            if (index < 0 || IsSentinel(archive.Items(index))) throw InputError(args[0], "no entry '" + args[a] + "'");
            chosen.push_back(index);
        }
    }
    int64_t totalBytes = 0;
    for (int index : chosen) totalBytes += archive.Items(index).Size;
    MakeEntryFolders(args[0], archive, chosen, folder);

    // Entries are written on the worker threads, each reading the archive
    // through a collection of its own, and taken in order: the first entry
    // that fails is the one reported. Small entries cost their file's
    // creation, which the threads of one folder would only queue for and
    // hand over between them: they are written on this thread.
    const bool large = !chosen.empty() && totalBytes / static_cast<int64_t>(chosen.size()) >= kThreadedEntrySize;
    const int threads = jobs > 1 && chosen.size() > 1 && large ? jobs : 0;
    std::vector<std::unique_ptr<qi::TVrFileCollection>> readers(static_cast<size_t>(threads));
    auto extract = [&](int n, int worker) {
        qi::TVrFileCollection* reader = &archive;
        if (threads > 0) {
            auto& own = readers[static_cast<size_t>(worker)];
            if (!own) {
                own = std::make_unique<qi::TVrFileCollection>();
                own->Open(archive.FileName);
            }
            reader = own.get();
        }
        const qi::TVrFile& item = reader->Items(chosen[static_cast<size_t>(n)]);
        std::string target = folder + item.Name();
        if (qi::PassesThroughLink(folder, item.Name())) {
            throw qi::Error(item.Name() + ": a folder on its way is a link; nothing is written through it");
        }
        reader->ExtractToFile(item.Name(), target, -1, static_cast<uint32_t>(item.FileTime));
        return true;
    };
    qi::OrderedWork<bool> work(static_cast<int>(chosen.size()), threads, 4 * threads, extract);
    ProgressBar progress("extract", static_cast<int>(chosen.size()), totalBytes);
    int64_t bytesDone = 0;
    for (size_t n = 0; n < chosen.size(); ++n) {
        Guarded(args[0], [&] { return work.Take(static_cast<int>(n)); });
        bytesDone += archive.Items(chosen[n]).Size;
        progress.Update(static_cast<int>(n + 1), bytesDone);
    }
    return kExitOk;
}

int VerifyCommand(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const int jobs = TakeJobsOption(args);
    if (args.size() != 1) throw UsageError("verify takes one ARCHIVE");
    qi::TVrFileCollection archive;
    OpenArchive(archive, args[0]);
    archive.Jobs = jobs;
    int walked = archive.Count() - (archive.EOFEntry ? 1 : 0);
    ProgressBar progress("verify", walked, 0);
    archive.OnProgress = [&](qi::TVrFileCollection&, qi::TVrFile*, int64_t, int index, int, bool&) {
        progress.Update(index + 1, 0);
    };
    int failed = -1;
    bool intact = Guarded(args[0], [&] { return archive.Verify(&failed); });
    if (intact) return kExitOk;
    std::string what = failed >= 0 ? "entry '" + Utf8Name(args[0], archive.Items(failed).Name()) +
                                         "' does not match its checksum"
                                   : "no archive";
    std::fprintf(stderr, "qpack: %s: %s\n", args[0].c_str(), what.c_str());
    return kExitBadInput;
}

// Files below folder (which ends in "\"), as relative names. A file whose
// name an archive cannot hold stops the creation: it is not left out unseen.
std::vector<std::string> CollectFiles(const std::string& folderArg, const std::string& folder) {
    std::vector<std::string> unwritable;
    std::vector<std::string> names = qi::FilesBelow(folder, &unwritable);
    if (!unwritable.empty()) {
        throw InputError(folderArg, "'" + unwritable[0] + "' has a name that cannot be written in code page 932");
    }
    return names;
}

// Entry lookup ignores case, so two names that differ only in case could
// not both be reached: such a tree is refused, naming both files.
void RefuseCaseTwins(const std::string& folderArg, const std::vector<std::string>& names) {
    std::vector<std::string> keys;
    for (const std::string& name : names) keys.push_back(qi::UpperCase(name));  // as SameText compares
    std::vector<size_t> order(names.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    for (size_t i = 1; i < order.size(); ++i) {
        if (keys[order[i - 1]] != keys[order[i]]) continue;
        throw InputError(folderArg, "'" + Utf8Name(folderArg, names[order[i - 1]]) + "' and '" +
                                        Utf8Name(folderArg, names[order[i]]) +
                                        "' differ only in case; an archive can hold only one of them");
    }
}

int Create(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const int jobs = TakeJobsOption(args);
    std::vector<std::string> positional, loosePatterns;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--loose") {
            if (i + 1 >= args.size()) throw UsageError("--loose needs a PATTERN");
            std::string pattern = EntryName(args[0], args[++i]);
            std::replace(pattern.begin(), pattern.end(), '/', '\\');
            loosePatterns.push_back(pattern);
        } else if (!args[i].empty() && args[i][0] == '-') {
            throw UsageError("unknown option " + args[i]);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) throw UsageError("create takes ARCHIVE and DIR");
    const std::string& archiveArg = positional[0];
    const std::string& folderArg = positional[1];
    std::string archivePath = CorePath(archiveArg);
    std::string folder = qi::AddBackslash(CorePath(folderArg));
    if (qi::platform::FileExists(CorePath(folderArg))) throw InputError(folderArg, "is a file, not a folder");
    if (!qi::platform::DirectoryExists(folder)) throw InputError(folderArg, "no such folder");

    std::vector<std::string> names = CollectFiles(folderArg, folder);
    // A stable order: by name bytes. The archive being written is left out.
    std::sort(names.begin(), names.end());
    names.erase(std::remove_if(names.begin(), names.end(),
                               [&](const std::string& n) { return qi::SameText(folder + n, archivePath); }),
                names.end());
    RefuseCaseTwins(folderArg, names);

    qi::TVrFileCollection collection;
    collection.BasePath = folder;
    collection.Jobs = jobs;
    int64_t totalBytes = 0;
    for (const std::string& name : names) {
        qi::TVrFile& item = collection.Add(name);
        for (const std::string& pattern : loosePatterns) {
            if (qi::WildcardMatch(pattern, name)) item.LooseFile = 1;
        }
        auto size = qi::platform::GetFileSize(folder + name);
        if (!size) throw InputError(folderArg, "'" + Utf8Name(folderArg, name) + "' cannot be read");
        totalBytes += *size;
    }
    ProgressBar progress("create", collection.Count(), totalBytes);
    int done = 0;
    int64_t written = 0;
    bool afterEntry = false;  // calls come in pairs: before and after each entry
    collection.OnProgress = [&](qi::TVrFileCollection&, qi::TVrFile*, int64_t size, int, int, bool&) {
        afterEntry = !afterEntry;
        if (!afterEntry) return;
        ++done;
        written += size;
        progress.Update(done, written);
    };
    const int64_t archiveBytes = Guarded(archiveArg, [&] {
        qi::TQsBigFileStream out(archivePath, qi::fmCreate);
        collection.WriteArchive(out);
        return out.GetSize();
    });
    std::printf("%s: %d entries, %" PRId64 " bytes in, %" PRId64 " bytes out\n", archiveArg.c_str(),
                static_cast<int>(names.size()), totalBytes, archiveBytes);
    return kExitOk;
}

int Merge(const std::vector<std::string>& args) {
    if (args.size() != 2) throw UsageError("merge takes INSTALLED and UPDATE");
    qi::TVrFileCollection installed, update;
    Guarded(args[0], [&] { installed.Open(CorePath(args[0]), true); });
    OpenArchive(update, args[1]);
    int64_t totalBytes = 0;
    for (int i = 0; i < update.Count(); ++i) totalBytes += update.Items(i).Size;
    ProgressBar progress("merge", update.Count(), totalBytes);
    int added = 0;
    int64_t copied = 0;
    installed.OnProgress = [&](qi::TVrFileCollection&, qi::TVrFile*, int64_t size, int, int, bool&) {
        ++added;
        copied += size;
        progress.Update(added, copied);
    };
    Guarded(args[0], [&] { return installed.MergeUpdate(update); });
    WriteStdout("added " + std::to_string(added) + (added == 1 ? " entry\n" : " entries\n"));
    return kExitOk;
}

int Attach(const std::vector<std::string>& args) {
    if (args.size() != 2) throw UsageError("attach takes EXE and ARCHIVE");
    for (const auto& arg : args) {
        if (!qi::platform::FileExists(CorePath(arg))) throw InputError(arg, "no such file");
    }
    Guarded(args[0], [&] { qi::AppendArchiveToExe(CorePath(args[0]), CorePath(args[1])); });
    return kExitOk;
}

}  // namespace

const std::vector<Command>& ArchiveCommands() {
    static const std::vector<Command> commands = {
        {"list", "[--json] ARCHIVE",
         "Lists the entries of ARCHIVE (a data file with its volumes and side-car\n"
         "directory, or an executable with an appended archive) in directory order,\n"
         "replaced \"/\" entries included: size, stored or zlib, checksum, name.\n"
         "With --json prints {\"version\": V, \"entries\": [...]}, each entry with\n"
         "\"name\" (UTF-8), \"offset\", \"size\", \"stored\", \"filetime\", \"checksum\"\n"
         "and \"loose\".\n",
         List},
        {"cat", "ARCHIVE NAME",
         "Writes the content of entry NAME to standard output (decompressed; a loose\n"
         "file beside ARCHIVE when the archive lacks the entry). An entry that does\n"
         "not match its checksum is an error, and nothing is written.\n",
         Cat},
        {"extract", "ARCHIVE DIR [NAME...] [--jobs N]",
         "Writes the entries (or only the NAMEs) as files below DIR with their file\n"
         "times; \"\\\" in a name becomes a sub-folder. Replaced \"/\" entries are\n"
         "skipped. Names that would leave DIR are refused. An entry that does not\n"
         "match its checksum is an error naming it, and no file is left for it.\n"
         "Entries are written on N threads (default: one per processor).\n",
         Extract},
        {"verify", "ARCHIVE [--jobs N]",
         "Checks every entry that carries a checksum against its CRC-32, on N threads\n"
         "(default: one per processor). Exit status 0 when all match, 1 naming the\n"
         "first entry that does not.\n",
         VerifyCommand},
        {"create", "ARCHIVE DIR [--loose PATTERN]... [--jobs N]",
         "Writes every file below DIR into the new archive ARCHIVE, named relative to\n"
         "DIR with \"\\\" between folders, in order of their names. Contents worth it\n"
         "are compressed (zlib format, fastest level); media files and files of 5 MiB\n"
         "or more are stored. Entries matching a --loose PATTERN (\"*\" and \"?\"\n"
         "wildcards, letters ignoring case) are marked to be installed as separate\n"
         "files. Two names that differ only in case are refused. Compression runs on\n"
         "N threads (default: one per processor); the archive is the same for any N.\n",
         Create},
        {"merge", "INSTALLED UPDATE",
         "Brings the data file INSTALLED (created when missing) up to date from the\n"
         "archive UPDATE: new and newer entries are appended, replaced ones keep\n"
         "their bytes under \"/\" + name, and the directory goes to the side-car\n"
         "file beside INSTALLED (extension \".ext\"). Says how many were added.\n",
         Merge},
        {"attach", "EXE ARCHIVE",
         "Appends ARCHIVE to the program file EXE, followed by the program's length\n"
         "and \"qr\", so that EXE carries the game's archive.\n",
         Attach},
    };
    return commands;
}

}  // namespace qpack
