#include "release/signing.h"

#include <cstdlib>
#include <vector>

#include "platform/platform.h"
#include "release/program_output.h"
#include "release/release_error.h"

namespace qi {

namespace {

// osslsigncode, or the one QPACK_OSSLSIGNCODE names (a path of its own).
std::string Signer() {
    const char* named = std::getenv("QPACK_OSSLSIGNCODE");
    return named && *named ? named : "osslsigncode";
}

void Run(const std::vector<std::string>& arguments, const std::string& program, const char* step) {
    const std::string log = program + ".log";
    const int status = platform::RunProgram(Signer(), arguments, log);
    const std::string said = LastLineOf(log);
    platform::RemoveFile(log);
    if (status == -1) throw ReleaseError("signing: osslsigncode cannot be started (is it installed?)");
    if (status != 0) throw ReleaseError(platform::NativePath(program) + ": " + step + " failed: " + said);
}

}  // namespace

void SignProgram(const SigningKeys& keys, const std::string& program) {
    const std::string signedCopy = program + ".signed";
    std::vector<std::string> sign = {"sign", "-h", "sha256"};
    if (!keys.Pkcs12.empty()) {
        sign.insert(sign.end(), {"-pkcs12", platform::NativePath(keys.Pkcs12)});
    } else {
        sign.insert(sign.end(), {"-certs", platform::NativePath(keys.Certificate), "-key", platform::NativePath(keys.Key)});
    }
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) sign.insert(sign.end(), {"-time", epoch});
    sign.insert(sign.end(), {"-in", platform::NativePath(program), "-out", platform::NativePath(signedCopy)});
    Run(sign, program, "signing");
    if (!platform::RenameFile(signedCopy, program)) {
        platform::RemoveFile(signedCopy);
        throw ReleaseError(platform::NativePath(program) + ": the signed program cannot take its place");
    }
    std::vector<std::string> verify = {"verify", "-in", platform::NativePath(program)};
    if (!keys.Certificate.empty()) verify.insert(verify.end(), {"-CAfile", platform::NativePath(keys.Certificate)});
    Run(verify, program, "verifying the signature");
}

}  // namespace qi
