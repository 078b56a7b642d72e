#include "release/disc_image.h"

#include <vector>

#include "platform/platform.h"
#include "release/program_output.h"
#include "release/release_error.h"

namespace qi {

namespace {

const char* const kImageMaker = "xorriso";

}  // namespace

void WriteDiscImage(const std::string& folder, const std::string& image, const std::string& label) {
    std::vector<std::string> arguments = {"-as", "mkisofs", "-quiet", "-input-charset", "UTF-8", "-iso-level", "3",
                                          "-J", "-joliet-long", "-R", "-V", platform::Utf8FromCp932(label)};
    arguments.insert(arguments.end(), {"-o", platform::NativePath(image), platform::NativePath(folder)});
    const std::string log = image + ".log";
    const int status = platform::RunProgram(kImageMaker, arguments, log);
    const std::string said = LastLineOf(log);
    platform::RemoveFile(log);
    if (status == -1) throw ReleaseError("--iso: xorriso cannot be started (is it installed?)");
    if (status != 0) {
        platform::RemoveFile(image);
        throw ReleaseError(platform::NativePath(image) + ": xorriso failed (exit code " + std::to_string(status) +
                           "): " + said);
    }
}

}  // namespace qi
