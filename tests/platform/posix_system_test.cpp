// Linux services: mutexes held by processes that crash, mutex names that
// look like paths, deletions scheduled for after the run, and starting
// programs detached.
#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/platform.h"
#include "posix_environment.h"
#include "support/scratch.h"

namespace qi::platform {
namespace {

using test::PrivateRoot;
using test::ScratchFolder;

// Runs body in a child process, which ends without any clean-up of its own.
template <class Body>
void InChild(Body body) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(body() ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(PosixMutexes, AHolderThatIsKilledReleasesTheMutex) {
    const std::string name = "C:-GAMES-CRASHED-" + std::to_string(getpid());
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto mutex = CreateNamedMutex(name);
        char byte = mutex ? 'y' : 'n';
        (void)!write(ready[1], &byte, 1);
        pause();
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 'y');
    EXPECT_TRUE(MutexExists(name));
    EXPECT_FALSE(CreateNamedMutex(name));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_FALSE(MutexExists(name));
    EXPECT_TRUE(CreateNamedMutex(name));
}

TEST(PosixMutexes, NamesThatLookLikePathsStayInsideTheRuntimeFolder) {
    PrivateRoot root;
    const std::string longName(300, '\x88');  // longer than any file name, escaped three times over
    std::vector<std::unique_ptr<NamedMutex>> held;
    for (const std::string& name : std::vector<std::string>{"../../escape", "..\\..\\escape", "", ".", longName, longName + "x"}) {
        held.push_back(CreateNamedMutex(name));
        EXPECT_TRUE(held.back()) << name;
        EXPECT_TRUE(MutexExists(name)) << name;
    }
    EXPECT_FALSE(MutexExists("escape"));
    EXPECT_FALSE(MutexExists(longName.substr(1)));
    size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.Folder())) {
        if (entry.is_regular_file()) {
            ++files;
            EXPECT_EQ(entry.path().parent_path(), root.Folder() + "/run") << entry.path();
        }
    }
    EXPECT_EQ(files, held.size());
}

TEST(PosixMutexes, AForeignRuntimeFolderIsRefused) {
    PrivateRoot root;
    std::filesystem::create_directory(root.Folder() + "/run");
    chmod((root.Folder() + "/run").c_str(), 0777);  // anyone could plant lock files here
    EXPECT_FALSE(CreateNamedMutex("Title"));
    EXPECT_FALSE(MutexExists("Title"));
}

TEST(PosixPendingDeletions, FilesGoOnceTheRunThatScheduledThemIsOver) {
    PrivateRoot root;
    ScratchFolder scratch;
    const std::string ended = TempFolder() + "~qinstall.exe", running = TempFolder() + "~qinstall0.exe";
    test::WriteBytes(ended, "copy");
    test::WriteBytes(running, "copy");
    InChild([&] { return DeleteOnReboot(ended); });
    // A list line that names anything but a temporary copy of the program
    // (a tampered list) deletes nothing.
    const std::string victim = scratch / "thesis.doc", lookalike = scratch / "~qinstall1.exe";
    test::WriteBytes(victim, "mine");
    test::WriteBytes(lookalike, "not in the temporary folder");
    InChild([&] { return DeleteOnReboot(victim) && DeleteOnReboot(lookalike); });
    ASSERT_TRUE(DeleteOnReboot(running));
    EXPECT_FALSE(DeleteOnReboot(scratch / "missing.exe"));

    RunPendingDeletions();
    EXPECT_FALSE(FileExists(ended));
    EXPECT_TRUE(FileExists(victim));
    EXPECT_TRUE(FileExists(lookalike));
    EXPECT_TRUE(FileExists(running));  // this run is not over yet
    InChild([] {
        RunPendingDeletions();
        return true;
    });
    EXPECT_TRUE(FileExists(running));
    RunPendingDeletions();  // nothing left to do, nothing lost
    EXPECT_TRUE(FileExists(running));
    RemoveFile(running);
}

TEST(PosixShell, AHostProgramStartsDetachedWithItsArgumentsInItsFolder) {
    ScratchFolder scratch;
    const std::string script = scratch / "start.sh";
    test::WriteBytes(script, "#!/bin/sh\necho \"$1|$2|$(pwd)\" > result.tmp\nmv result.tmp result.txt\n");
    ASSERT_EQ(chmod(NativePath(script).c_str(), 0755), 0);

    EXPECT_GT(ShellOpen(script, "\"two words\" x", scratch.Path()), 32);
    const std::string result = scratch / "result.txt";
    for (int wait = 0; wait < 500 && !FileExists(result); ++wait) SleepMs(10);
    ASSERT_TRUE(FileExists(result));
    EXPECT_EQ(test::ReadBytes(result), "two words|x|" + NativePath(scratch.Path()) + "\n");
    EXPECT_EQ(ShellOpen(script, "", scratch / "missing-folder"), 3);
}

// The program takes the running one's place: the same process, its exit
// status the caller's to see.
TEST(PosixShell, AReplacingProgramKeepsTheProcess) {
    ScratchFolder scratch;
    const std::string script = scratch / "copy.sh";
    test::WriteBytes(script, "#!/bin/sh\necho \"$1|$$\" > \"$2\"\n");
    ASSERT_EQ(chmod(NativePath(script).c_str(), 0755), 0);
    const std::string result = scratch / "result.txt";
    const std::string pid = scratch / "pid.txt";
    InChild([&] {
        test::WriteBytes(pid, std::to_string(getpid()));
        ReplaceProgram(script, "\"two words\" \"" + NativePath(result) + "\"");
        return false;  // reached only when the program did not start
    });
    EXPECT_EQ(test::ReadBytes(result), "two words|" + test::ReadBytes(pid) + "\n");
    EXPECT_EQ(ReplaceProgram(scratch / "missing.sh", ""), 2);
}

TEST(PosixShell, ADocumentWithoutAnOpenerHasNoAssociation) {
    ScratchFolder scratch;
    test::WriteBytes(scratch / "readme.txt", "text");
    test::ScopedVariable path("PATH", NativePath(scratch.Path()));
    EXPECT_EQ(ShellOpen(scratch / "readme.txt", "", ""), 31);
    EXPECT_EQ(ShellOpen(scratch / "game.exe", "", ""), 2);
    test::WriteBytes(scratch / "game.exe", "MZ");
    EXPECT_EQ(ShellOpen(scratch / "game.exe", "", ""), 31);
}

// A Windows game runs in the prefix that holds drive C:, whatever prefix
// the user's environment names; a file that is no program is refused.
TEST(PosixShell, WineRunsInThePrefixOfDriveC) {
    ScratchFolder scratch;
    const std::string wine = scratch / "wine";
    test::WriteBytes(wine, "#!/bin/sh\necho \"$WINEPREFIX|$1\" > result.tmp\nmv result.tmp result.txt\n");
    ASSERT_EQ(chmod(NativePath(wine).c_str(), 0755), 0);
    test::ScopedVariable path("PATH", NativePath(scratch.Path()) + ":/usr/bin:/bin");
    test::ScopedVariable prefix("WINEPREFIX", "/nowhere/.wine");
    test::WriteBytes(scratch / "game.exe", "MZ game");
    EXPECT_GT(ShellOpen(scratch / "game.exe", "", scratch.Path()), 32);
    const std::string result = scratch / "result.txt";
    for (int wait = 0; wait < 500 && !FileExists(result); ++wait) SleepMs(10);
    ASSERT_TRUE(FileExists(result));
    const std::string drivePrefix = NativePath("C:\\").substr(0, NativePath("C:\\").find("/drive_c"));
    EXPECT_EQ(test::ReadBytes(result), drivePrefix + "|" + NativePath(scratch / "game.exe") + "\n");

    test::WriteBytes(scratch / "fake.exe", "not a program");
    EXPECT_EQ(ShellOpen(scratch / "fake.exe", "", ""), 11);
}

}  // namespace
}  // namespace qi::platform
#endif  // _WIN32
