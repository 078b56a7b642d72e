// Copy, move, delete and rename through the shell's file-operation service.
#include <windows.h>
#include <shellapi.h>

#include "platform/platform.h"

namespace qi::platform {

bool ShellFileOperation(unsigned operation, const std::string& from, const std::string& to, unsigned flags,
                        const std::string& title) {
    SHFILEOPSTRUCTA op = {};
    op.wFunc = operation;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = static_cast<FILEOP_FLAGS>(flags);
    op.fAnyOperationsAborted = FALSE;
    op.hNameMappings = nullptr;
    op.lpszProgressTitle = (flags & FOF_SIMPLEPROGRESS) ? title.c_str() : nullptr;
    SHFileOperationA(&op);
    return op.fAnyOperationsAborted != FALSE;
}

}  // namespace qi::platform
