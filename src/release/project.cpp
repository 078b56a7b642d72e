#include "release/project.h"

#include <toml++/toml.h>

#include <limits>
#include <set>
#include <variant>

#include "base/path_helpers.h"
#include "platform/platform.h"
#include "release/release_error.h"
#include "settings/settings_fields.h"
#include "streams/stream.h"

namespace qi {

namespace {

// "ディスク" in code page 932: the word the wizard uses for a medium.
const char* const kDiscWord = "\x83\x66\x83\x42\x83\x58\x83\x4e";

// Fields the release computes; a project cannot set them.
const std::set<std::string> kComputedFields = {
    "DiscCount",   "DiscIndex",    "InstalledFiles", "ProgramSizes", "DataSizes", "SoundSizes",
    "MovieSizes",  "ProgramTotal", "DataTotal",      "SoundTotal",   "MovieTotal", "Installed",
    "UpdateMode",  "DataInstalled", "ExtractFiles",  "SourceFiles",  "TitleImage"};

class ProjectReader {
public:
    ProjectReader(std::string file, const toml::table& root) : file_(std::move(file)), root_(root) {
        folder_ = ExtractFilePath(file_);
    }

    [[noreturn]] void Fail(const toml::node* node, const std::string& key, const std::string& what) const {
        std::string where = platform::NativePath(file_);
        if (node) where += ":" + std::to_string(node->source().begin.line);
        throw ReleaseError(where + ": \"" + key + "\" " + what);
    }

    const toml::node* Find(const std::string& key) const { return root_.get(key); }

    std::string Utf8(const toml::node* node, const std::string& key) const {
        if (!node->is_string()) Fail(node, key, "must be a string");
        return node->as_string()->get();
    }
    // Text for the settings: code page 932 with CR LF line ends.
    std::string Text(const toml::node* node, const std::string& key, const std::string& utf8) const {
        std::string lines;
        for (char c : utf8) {
            if (c == '\n' && (lines.empty() || lines.back() != '\r')) lines += '\r';
            lines += c;
        }
        try {
            return platform::Cp932FromUtf8(lines);
        } catch (const Error&) {
            Fail(node, key, "holds text that code page 932 cannot hold");
        }
    }
    std::string TextKey(const std::string& key, bool required = false) const {
        const toml::node* node = Find(key);
        if (!node) {
            if (required) Fail(nullptr, key, "is missing");
            return {};
        }
        return Text(node, key, Utf8(node, key));
    }
    // A path relative to the project file's folder, as a path of this system.
    std::string PathKey(const std::string& key) const {
        std::string path = TextKey(key);
        if (path.empty()) return path;
        for (char& c : path) {
            if (c == '/') c = '\\';
        }
        const bool rooted = path[0] == '\\' || (path.size() > 1 && path[1] == ':');
        return rooted ? path : folder_ + path;
    }
    // The content of the file a key names, as settings text.
    std::string FileTextKey(const std::string& key) const {
        const std::string path = PathKey(key);
        if (path.empty()) return path;
        TMemoryStream content;
        try {
            content.LoadFromFile(path);
        } catch (const Error&) {
            Fail(Find(key), key, "names a file that cannot be read: " + platform::NativePath(path));
        }
        std::string utf8(content.Bytes().begin(), content.Bytes().end());
        if (utf8.compare(0, 3, "\xEF\xBB\xBF") == 0) utf8.erase(0, 3);
        return Text(Find(key), key, utf8);
    }
    std::vector<std::string> PatternsKey(const std::string& key) const {
        std::vector<std::string> patterns;
        const toml::node* node = Find(key);
        if (!node) return patterns;
        if (!node->is_array()) Fail(node, key, "must be an array of patterns");
        for (const toml::node& item : *node->as_array()) {
            std::string pattern = Text(&item, key, Utf8(&item, key));
            for (char& c : pattern) {
                if (c == '/') c = '\\';
            }
            patterns.push_back(pattern);
        }
        return patterns;
    }

    void CheckKeys(const std::set<std::string>& known) const {
        for (const auto& [key, node] : root_) {
            if (!known.count(std::string(key.str()))) Fail(&node, std::string(key.str()), "is not a known key");
        }
    }

    void ApplySettingsTable(TQuorInstallSet& settings) const {
        const toml::node* node = Find("settings");
        if (!node) return;
        if (!node->is_table()) Fail(node, "settings", "must be a table");
        for (const auto& [key, value] : *node->as_table()) {
            const std::string name(key.str());
            const SettingsField* field = FindSettingsField(name);
            if (!field) Fail(&value, name, "is not a setting (qpack settings show lists them)");
            if (kComputedFields.count(name)) Fail(&value, name, "is set by the release itself");
            std::visit([&](auto member) { Assign(settings.*member, value, name); }, field->member);
        }
    }

private:
    void Assign(std::string& target, const toml::node& value, const std::string& key) const {
        target = Text(&value, key, Utf8(&value, key));
    }
    void Assign(bool& target, const toml::node& value, const std::string& key) const {
        if (!value.is_boolean()) Fail(&value, key, "must be true or false");
        target = value.as_boolean()->get();
    }
    template <typename Integer>
    void Assign(Integer& target, const toml::node& value, const std::string& key) const {
        if (!value.is_integer()) Fail(&value, key, "must be an integer");
        const int64_t v = value.as_integer()->get();
        if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max()) {
            Fail(&value, key, "is out of range");
        }
        target = static_cast<Integer>(v);
    }
    template <typename Element>
    void Assign(std::vector<Element>&, const toml::node& value, const std::string& key) const {
        Fail(&value, key, "is set by the release itself");
    }

    std::string file_, folder_;
    const toml::table& root_;
};

toml::table ParseFile(const std::string& projectFile) {
    TMemoryStream content;
    try {
        content.LoadFromFile(projectFile);
    } catch (const Error&) {
        throw ReleaseError(platform::NativePath(projectFile) + ": cannot be read");
    }
    const std::string text(content.Bytes().begin(), content.Bytes().end());
    try {
        return toml::parse(text);
    } catch (const toml::parse_error& e) {
        throw ReleaseError(platform::NativePath(projectFile) + ":" + std::to_string(e.source().begin.line) + ": " +
                           std::string(e.description()));
    }
}

}  // namespace

ReleaseProject LoadProject(const std::string& projectFile, const std::string& defaultSetup) {
    const toml::table root = ParseFile(projectFile);
    const ProjectReader reader(projectFile, root);
    reader.CheckKeys({"title", "game", "exe", "readme", "default_folder", "registry_key", "footer", "hello",
                      "license", "title_image", "icon", "setup", "media", "archive", "loose", "settings"});
    ReleaseProject project;
    project.ProjectFile = projectFile;
    TQuorInstallSet& s = project.Settings;
    s.MediumWord = kDiscWord;
    s.Title = reader.TextKey("title", true);
    if (!reader.Find("game")) reader.Fail(nullptr, "game", "is missing");
    project.GameFolder = AddBackslash(reader.PathKey("game"));
    s.ExeFile = reader.TextKey("exe", true);
    s.ReadmeFile = reader.TextKey("readme");
    s.DefaultFolder = reader.TextKey("default_folder");
    s.RegistryKey = reader.TextKey("registry_key");
    s.FooterText = reader.TextKey("footer");
    s.HelloText = reader.FileTextKey("hello");
    s.LicenseText = reader.FileTextKey("license");
    project.TitleImage = reader.PathKey("title_image");
    project.Icon = reader.PathKey("icon");
    project.SetupProgram = reader.Find("setup") ? reader.PathKey("setup") : defaultSetup;
    const std::string media = reader.Find("media") ? reader.Utf8(reader.Find("media"), "media") : "download";
    const auto medium = ParseMedium(media);
    if (!medium) reader.Fail(reader.Find("media"), "media", "must be cd650, cd700, dvd, dvd-dl, download or a size");
    project.Target = *medium;
    project.ArchivePatterns = reader.PatternsKey("archive");
    project.LoosePatterns = reader.PatternsKey("loose");
    reader.ApplySettingsTable(s);
    return project;
}

}  // namespace qi
