// Fuzz target: the walk over a disc's folders. The input describes a tree
// of folders, files and links (a link may point anywhere in the tree, back
// up and at its own folder); the tree is made in a folder of its own and
// walked as the installation walks a disc. Every walk must end, list each
// file once, and never enter a link.
//   build/fuzz/fuzz/fuzz_walk fuzz/corpus/walk -max_total_time=60
// Each three input bytes are one node: its kind (folder, file, link), the
// folder it lies in, and for a link the node it points to.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_helpers.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxNodes = 64;

// The name the program uses for a host path: on Linux the Z: drive maps
// onto the host's root.
std::string ProgramName(const fs::path& path) {
#if defined(_WIN32)
    return path.string();
#else
    std::string name = "Z:" + path.string();
    for (char& c : name) {
        if (c == '/') c = '\\';
    }
    return name;
#endif
}

// A folder no earlier input used: the walk starts from fresh listings.
fs::path FreshRoot() {
    static const std::string run = std::to_string(std::random_device{}());
    static int inputs = 0;
    return fs::temp_directory_path() / ("qi-fuzz-walk-" + run + "-" + std::to_string(inputs++));
}

// Makes the tree; the number of files and links made (links count as files
// for the walk: it lists them without entering them).
size_t MakeTree(const fs::path& root, const uint8_t* data, size_t size) {
    std::vector<fs::path> nodes = {root}, folders = {root};
    size_t leaves = 0;
    for (size_t i = 0; i + 3 <= size && nodes.size() < kMaxNodes; i += 3) {
        const fs::path path = folders[data[i + 1] % folders.size()] / ("n" + std::to_string(nodes.size()));
        std::error_code error;
        switch (data[i] % 3) {
            case 0:
                if (!fs::create_directory(path, error)) continue;
                folders.push_back(path);
                break;
            case 1:
                if (!std::ofstream(path).put('x')) continue;
                ++leaves;
                break;
            default: {
                const fs::path& target = nodes[data[i + 2] % nodes.size()];
                if (fs::is_directory(target)) {
                    fs::create_directory_symlink(target, path, error);
                } else {
                    fs::create_symlink(target, path, error);
                }
                if (error) continue;  // links may need rights the user lacks
                ++leaves;
            }
        }
        nodes.push_back(path);
    }
    return leaves;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path root = FreshRoot();
    std::error_code error;
    fs::create_directories(root, error);
    if (error) return 0;
    const size_t leaves = MakeTree(root, data, size);
    const std::string rootName = ProgramName(root) + "\\";

    const std::vector<std::string> names = qi::FilesBelow(rootName);
    if (names.size() > leaves) std::abort();  // a file listed twice: a link was entered
    for (const auto& name : names) {
        if (qi::PassesThroughLink(rootName, name)) std::abort();
    }
    qi::ListFilesOptions options;
    options.recurse = true;
    std::vector<std::string> listed;
    qi::ListFiles(rootName, options, listed);
    if (listed.size() > kMaxNodes) std::abort();

    fs::remove_all(root, error);  // removes links, never what they point to
    return 0;
}
