// The registry store on Linux: a readable text file that keeps every byte,
// survives damage without being overwritten, and loses no update when
// several processes write at once.
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/platform.h"
#include "posix_environment.h"

namespace qi::platform {
namespace {

const std::string kInstall = "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B";  // "インストール"
const std::string kInstallUtf8 = "\xE3\x82\xA4\xE3\x83\xB3\xE3\x82\xB9\xE3\x83\x88\xE3\x83\xBC\xE3\x83\xAB";

class PosixRegistry : public ::testing::Test {
protected:
    std::string StoreText() const {
        std::ifstream in(Store());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void AppendToStore(const std::string& text) const { std::ofstream(Store(), std::ios::app) << text; }
    std::string Store() const { return root_.Folder() + "/registry.txt"; }

    std::unique_ptr<RegistryKey> GameKey() { return OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker\\Game", true); }

    test::PrivateRoot root_;
};

TEST_F(PosixRegistry, TheStoreIsReadableTextThatKeepsEveryByte) {
    auto key = GameKey();
    ASSERT_TRUE(key);
    const std::string odd = "\x85\x40 \"q\"\\\n\x81";  // an unassigned code ... a cut-off lead byte
    key->WriteString("Title", kInstall);
    key->WriteString("Odd", odd);

    std::string text = StoreText();
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\\\Software\\\\Maker\\\\Game]\n\"Title\"=\"" + kInstallUtf8 + "\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(R"("Odd"="\x85\x40 \"q\"\\\n\x81")"), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists(Store() + ".new"));

    // A leading delimiter, as in "\Software\...", names the same key.
    auto again = OpenRegistryKey(RootKey::CurrentUser, "\\software\\maker\\game\\", false);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->ReadString("title"), kInstall);
    EXPECT_EQ(again->ReadString("Odd"), odd);
}

TEST_F(PosixRegistry, ValuesOfOtherTypesAreADataTypeErrorAndStayAsTheyAre) {
    ASSERT_TRUE(GameKey());
    AppendToStore("[HKEY_CURRENT_USER\\\\Software\\\\Maker\\\\Game]\n\"Count\"=dword:0000002a\n");
    auto key = GameKey();
    EXPECT_THROW(key->ReadString("Count"), Error);
    key->WriteString("Other", "x");
    EXPECT_NE(StoreText().find("\"Count\"=dword:0000002a\n"), std::string::npos);
    EXPECT_EQ(key->ValueNames(), (std::vector<std::string>{"Count", "Other"}));
}

TEST_F(PosixRegistry, ADamagedStoreOpensNothingAndIsNeverOverwritten) {
    auto key = GameKey();
    ASSERT_TRUE(key);
    AppendToStore("this line is no part of a registry\n");
    const std::string damaged = StoreText();
    EXPECT_FALSE(OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker\\Game", false));
    EXPECT_FALSE(GameKey());
    EXPECT_THROW(key->WriteString("InstallPath", "C:\\Game"), Error);
    EXPECT_FALSE(DeleteRegistryTree(RootKey::CurrentUser, "Software\\Maker"));
    EXPECT_EQ(StoreText(), damaged);
}

TEST_F(PosixRegistry, ALinkAtTheStoresNewCopyIsReplacedNotWrittenThrough) {
    const std::string decoy = root_.Folder() + "/decoy.txt";
    std::ofstream(decoy) << "decoy";
    ASSERT_EQ(symlink(decoy.c_str(), (Store() + ".new").c_str()), 0);
    auto key = GameKey();
    ASSERT_TRUE(key);
    key->WriteString("InstallPath", "C:\\Game");
    EXPECT_EQ(key->ReadString("InstallPath"), "C:\\Game");
    std::ifstream in(decoy);
    std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "decoy");
    EXPECT_FALSE(std::filesystem::is_symlink(Store()));
}

TEST_F(PosixRegistry, AKeyDeletedByAnotherOpenerTakesNoMoreValues) {
    auto key = GameKey();
    ASSERT_TRUE(key);
    ASSERT_TRUE(DeleteRegistryTree(RootKey::CurrentUser, "Software\\Maker"));
    EXPECT_THROW(key->WriteString("InstallPath", "C:\\Game"), Error);
    EXPECT_EQ(key->ReadString("InstallPath"), std::nullopt);
    EXPECT_FALSE(OpenRegistryKey(RootKey::CurrentUser, "Software\\Maker\\Game", false));
}

TEST_F(PosixRegistry, ConcurrentWritersLoseNoUpdate) {
    ASSERT_TRUE(GameKey());
    constexpr int kWriters = 4, kValues = 15;
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            auto key = GameKey();
            for (int value = 0; value < kValues && key; ++value) {
                key->WriteString("w" + std::to_string(writer) + "-" + std::to_string(value), "x");
            }
            _exit(key ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(GameKey()->ValueNames().size(), size_t{kWriters * kValues});
}

TEST_F(PosixRegistry, TheUsersProfileIsFoundWhereWindowsKeepsIt) {
    auto list = OpenRegistryKey(RootKey::LocalMachine, "\\Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", false);
    ASSERT_TRUE(list);
    auto users = list->SubKeyNames();
    ASSERT_EQ(users.size(), 1u);
    auto profile = OpenRegistryKey(RootKey::LocalMachine,
                                   "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + users[0], false);
    ASSERT_TRUE(profile);
    std::string image = profile->ReadString("ProfileImagePath").value_or("");
    ASSERT_TRUE(image.starts_with("%SystemDrive%\\")) << image;
    EXPECT_TRUE(DirectoryExists("C:" + image.substr(13)));
    auto folders = OpenRegistryKey(
        RootKey::Users, users[0] + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", false);
    ASSERT_TRUE(folders);
    EXPECT_EQ(folders->ReadString("Local AppData"), "%USERPROFILE%\\AppData\\Local");
}

}  // namespace
}  // namespace qi::platform
#endif  // _WIN32
