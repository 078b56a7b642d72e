#pragma once
// A small game on a disc folder (settings, plain files, an archive) and an
// empty installation folder, for whole installation, update and removal
// runs through the wizard model.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_builder.h"
#include "archive/vrfiles.h"
#include "base/path_helpers.h"
#include "image/dib_surface.h"
#include "image/vexa_writer.h"
#include "platform/platform.h"
#include "streams/stream.h"
#include "support/scratch.h"
#include "wizard/form_type.h"
#include "wizard/shell_link.h"
#include "wizard/wizard_harness.h"

namespace qi::test {

// A view that shows nothing: the shortcut folder and the readme are only
// noted.
class RunPump : public ScriptedPump {
public:
    void OpenShortcutFolder(TShellLinkType linkType, const std::string& subDir) override {
        openedFolders.push_back(std::to_string(static_cast<int>(linkType)) + ":" + subDir);
    }
    void OpenDocument(const std::string& file, const std::string&) override { openedDocuments.push_back(file); }
    std::vector<std::string> openedFolders;
    std::vector<std::string> openedDocuments;
};

// Message boxes answered from the script, with a hook that runs before the
// answer (where the user changes the disc).
class HookedBoxes : public ScriptedBoxes {
public:
    TModalResult MessageDlg(BoxReason reason, const std::string& text) override {
        if (beforeAnswer) beforeAnswer(asked.size());
        return ScriptedBoxes::MessageDlg(reason, text);
    }
    std::function<void(size_t index)> beforeAnswer;
};

// A packed DOS date and time.
inline int32_t Dos(int year, int month, int day, int hour = 12, int minute = 0) {
    return static_cast<int32_t>(static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day) << 16 |
                                static_cast<uint32_t>((hour << 11) | (minute << 5)));
}

// A stored entry with its checksum.
inline TestEntry Entry(const std::string& name, const std::string& content, int32_t time, uint8_t loose = 0) {
    TestEntry e{name, content, true, time, 0, loose};
    e.checksum = Crc(content);
    return e;
}

// A layered image as the archive entry "title.vxa": red, turning yellow
// from left to right.
inline TestEntry TitleImageEntry(int width, int height) {
    TDIBSurface picture;
    picture.SetSize(width, height, 24);
    for (int x = 0; x < width; ++x) {
        picture.FillRect({x, 0, x + 1, height}, picture.ColorToPixel(255, x * 255 / width, 0));
    }
    VexaFrameData frame;
    frame.Width = width;
    frame.Height = height;
    VexaLayerData layer;
    layer.Pixels = &picture;
    frame.Layers.push_back(layer);
    TMemoryStream image;
    WriteVexaImage(image, VexaWriteOptions{}, {frame});
    return Entry("title.vxa", std::string(image.Bytes().begin(), image.Bytes().end()), Dos(2020, 1, 1));
}

class RunTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        settings.Title = std::string("QiRun ") + info->name();
        settings.ExeFile = "game.exe";
    }
    void TearDown() override {
        form.reset();
        archive.reset();
        DeleteShortcutFolder(lnkCommonPrograms, settings.Title);
        DeleteShortcutFolder(lnkPrograms, settings.Title);
        WizardTest::TearDown();
    }

    // Writes a file below a folder, creating the sub-folders it needs.
    static void Put(const std::string& path, const std::string& bytes) {
        platform::CreateFolders(ExtractFilePath(path));
        WriteBytes(path, bytes);
    }
    // Plain files of the disc, all listed in the settings.
    void PutSourceFiles(const std::vector<std::pair<std::string, std::string>>& files) {
        for (const auto& [name, bytes] : files) {
            Put(disc / name, bytes);
            settings.SourceFiles.push_back(name);
        }
    }
    void PutArchive(const std::vector<TestEntry>& entries) { WriteBytes(disc / "game.dat", Archive(entries, 102)); }

    // The wizard on the disc's archive, its folder page pointed at target.
    TFormType& Create() {
        form.reset();
        archive = std::make_unique<TVrFileCollection>();
        archive->Open(disc / "game.dat");
        form = std::make_unique<TFormType>(settings, archive.get(), disc.Path(), boxes, pump, waits);
        form->FormCreate();
        form->EditDir.Text = target.Path().substr(0, target.Path().size() - 1);
        return *form;
    }
    // Straight to the copy page, as "インストール" on "confirm" does.
    TFormType& Install() {
        TFormType& f = Create();
        f.CheckData.Checked = true;
        f.UpdateRequiredSize();
        f.ShowPage(WizardPage::Copy);
        return f;
    }

    // The settings saved in the installation folder.
    TQuorInstallSet Saved() const {
        TQuorInstallSet saved;
        saved.LoadFromFile(target / "install.dat");
        return saved;
    }
    static bool Listed(const TQuorInstallSet& s, const std::string& name) { return s.IndexOfInstalledFile(name) >= 0; }
    // An entry's content from the installation folder's data file.
    std::string DataEntry(const std::string& name) const {
        TVrFileCollection data;
        data.Open(target / "game.dat");
        TMemoryStream content;
        data.ExtractToStream(content, name);
        return std::string(content.Bytes().begin(), content.Bytes().end());
    }
    // The shortcut file as the platform writes it.
    static bool LinkExists(const std::string& folder, const std::string& name) {
        return platform::FileExists(folder + name + ".lnk") || platform::FileExists(folder + name + ".desktop");
    }
    std::string MenuFolder() const {
        return AddBackslash(platform::SpecialFolder(platform::kCsidlCommonPrograms)) + settings.Title + "\\";
    }

    ScratchFolder disc;
    ScratchFolder target;
    HookedBoxes boxes;
    RunPump pump;
    std::unique_ptr<TVrFileCollection> archive;
    std::unique_ptr<TFormType> form;
};

}  // namespace qi::test
