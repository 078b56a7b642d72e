#include "platform/posix/sys_error.h"

#include <cstring>

#include "platform/error.h"

namespace qi::platform::posix {
namespace {

// The fixed English description: strerror follows the locale and could hand
// back UTF-8 Japanese.
std::string ErrorText(int error) {
    const char* text = strerrordesc_np(error);
    return text ? text : "error " + std::to_string(error);
}

}  // namespace

void RaiseSystemError(const std::string& subject, const std::string& what, int error) {
    throw Error(subject + ": " + what + " (" + ErrorText(error) + ")");
}

}  // namespace qi::platform::posix
