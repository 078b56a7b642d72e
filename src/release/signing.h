#pragma once
// Signing of the Windows programs a release ships, with osslsigncode.
#include <string>

namespace qi {

struct SigningKeys {
    std::string Certificate, Key;  // PEM or DER files, given together
    std::string Pkcs12;            // or one PKCS#12 file
    bool Enabled() const { return !Certificate.empty() || !Pkcs12.empty(); }
};

// Signs the program in place (SHA-256; the signing time is
// SOURCE_DATE_EPOCH when set), then verifies the signature, with the
// certificate as the trusted one where it was given as a file. The
// program's last six bytes before the certificate table stay its archive's
// trailer. Raises ReleaseError naming the program and what osslsigncode
// said.
void SignProgram(const SigningKeys& keys, const std::string& program);

}  // namespace qi
