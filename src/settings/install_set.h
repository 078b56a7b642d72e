#pragma once
// The install settings of one game and the "install.dat" file format.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/name_index.h"
#include "streams/stream.h"

namespace qi {

// What InstallType asks for.
enum InstallKind : uint8_t {
    itChooseComponents = 0,  // the user chooses the components
    itAllComponents = 1,     // every component of every disc, no component pages
    itWindowsFolder = 2,     // everything into the Windows folder, nothing recorded
};

class TQuorInstallSet {
public:
    static constexpr int kWrittenVersion = 108;

    // ---- The file format ----
    void LoadFromFile(const std::string& fileName);
    // Reads one settings image from the stream's position. A truncated or
    // inconsistent image raises an error naming sourceName and leaves the
    // object as it was.
    void LoadFromStream(TStream& stream, const std::string& sourceName = "install.dat");
    // Written to a temporary name first and renamed into place.
    void SaveToFile(const std::string& fileName) const;
    void SaveToStream(TStream& stream) const;
    void SetDiscCount(int32_t count);

    // ---- Named registry values ----
    std::string GetValue(const std::string& name, const std::string& defaultValue) const;
    void SetValue(const std::string& name, const std::string& value) const;
    // True when RegistryKey names a key of its own below Software: one name
    // or more, none of them empty.
    bool HasOwnRegistryKey() const;
    // Removes the game's key with everything in it when it is a key of its
    // own whose InstallPath is installFolder (else nothing), then each
    // parent that has become empty.
    void DeleteRegistryKey(const std::string& installFolder) const;
    bool IsInstalled() const;
    std::string GetSetupCaption() const;

    // ---- The file lists ----
    int InstalledFileCount() const { return static_cast<int>(InstalledFiles.size()); }
    const std::string& GetInstalledFile(int index) const;
    int IndexOfInstalledFile(const std::string& name) const;
    void AddInstalledFile(const std::string& name);
    bool IsSourceFile(const std::string& name) const;

    // Version of the last file loaded (0 for a file without header).
    int FormatVersion = 0;

    int32_t DiscCount = 0;
    std::vector<std::string> InstalledFiles;
    std::string SetupCaption;
    int32_t DiscIndex = 0;
    std::string Title;
    std::string FooterText;
    std::string DefaultFolder;
    std::string ReadmeFile;
    uint8_t InstallType = itChooseComponents;  // an InstallKind; other values are kept as read
    bool OpenReadme = false;
    std::string TitleImage;
    uint8_t TitleImageMode = 0;
    std::string ExeFile;
    int32_t ImageSeed = 0;
    bool ShowRuntimeButtons = false;
    uint8_t ReservedFlag = 0;
    std::string MediumWord;
    std::string RegistryKey;
    std::vector<int64_t> ProgramSizes;
    std::vector<int64_t> DataSizes;
    std::vector<int64_t> SoundSizes;
    std::vector<int64_t> MovieSizes;
    int64_t ProgramTotal = 0;
    int64_t DataTotal = 0;
    int64_t SoundTotal = 0;
    int64_t MovieTotal = 0;
    bool Installed = false;
    bool UpdateMode = false;
    bool DataInstalled = false;
    bool ExtractFiles = false;
    std::vector<std::string> SourceFiles;
    std::string HelloText;
    std::string LicenseText;

private:
    // Constant-time look-ups in InstalledFiles and SourceFiles.
    mutable TNameIndex installedIndex_, sourceIndex_;
    // "Software\" + RegistryKey without one leading delimiter; empty when unset.
    std::string RegistryPath() const;
};

}  // namespace qi
