#pragma once
// What a program the release runs wrote into its log.
#include <string>

namespace qi {

// The log's last line, where a program tells why it failed; empty when the
// log cannot be read.
std::string LastLineOf(const std::string& log);

}  // namespace qi
