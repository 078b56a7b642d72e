#include "release/disc_image.h"

#include <vector>

#include "platform/platform.h"
#include "release/release_error.h"
#include "streams/stream.h"

namespace qi {

namespace {

const char* const kImageMaker = "xorriso";

// The last line a program wrote, where it tells why it failed.
std::string LastLine(const std::string& file) {
    TMemoryStream text;
    try {
        text.LoadFromFile(file);
    } catch (const Error&) {
        return {};
    }
    std::string all(text.Bytes().begin(), text.Bytes().end());
    while (!all.empty() && (all.back() == '\n' || all.back() == '\r')) all.pop_back();
    return all.substr(all.find_last_of('\n') == std::string::npos ? 0 : all.find_last_of('\n') + 1);
}

}  // namespace

void WriteDiscImage(const std::string& folder, const std::string& image, const std::string& label) {
    std::vector<std::string> arguments = {"-as", "mkisofs", "-quiet", "-input-charset", "UTF-8", "-iso-level", "3",
                                          "-J", "-joliet-long", "-R", "-V", platform::Utf8FromCp932(label)};
    arguments.insert(arguments.end(), {"-o", platform::NativePath(image), platform::NativePath(folder)});
    const std::string log = image + ".log";
    const int status = platform::RunProgram(kImageMaker, arguments, log);
    const std::string said = LastLine(log);
    platform::RemoveFile(log);
    if (status == -1) throw ReleaseError("--iso: xorriso cannot be started (is it installed?)");
    if (status != 0) {
        platform::RemoveFile(image);
        throw ReleaseError(platform::NativePath(image) + ": xorriso failed (exit code " + std::to_string(status) +
                           "): " + said);
    }
}

}  // namespace qi
