#include "support/scratch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>

#include "platform/platform.h"

namespace qi::test {
namespace {

void RemoveTree(const std::string& folder) {
    for (const auto& entry : platform::ListDirectory(folder)) {
        std::string full = folder + entry.name;
        if (entry.attributes & platform::kAttrDirectory) {
            RemoveTree(full + "\\");
        } else {
            platform::SetAttributes(full, platform::kAttrNormal);
            platform::RemoveFile(full);
        }
    }
    platform::RemoveFolder(folder);
}

}  // namespace

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "scratch";
    static const unsigned run = std::random_device{}();
    path_ = platform::TempFolder() + "qi-test-" + name + "-" + std::to_string(run) + "-" +
            std::to_string(counter++) + "\\";
    if (!platform::CreateFolders(path_)) throw Error("cannot create scratch folder " + path_);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

void WriteBytes(const std::string& path, const std::string& bytes) {
    auto file = platform::OpenFile(path, platform::Access::Write, platform::Share::None,
                                   platform::Disposition::CreateAlways);
    file->Write(bytes.data(), static_cast<int64_t>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
    auto file = platform::OpenFile(path, platform::Access::Read, platform::Share::Read,
                                   platform::Disposition::OpenExisting);
    std::string bytes(static_cast<size_t>(file->Size()), '\0');
    int64_t got = file->Read(bytes.data(), static_cast<int64_t>(bytes.size()));
    bytes.resize(static_cast<size_t>(got));
    return bytes;
}

}  // namespace qi::test
