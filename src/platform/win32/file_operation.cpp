// Copy, move, delete and rename through the shell's file-operation service.
#include <windows.h>
#include <shellapi.h>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace qi::platform {

bool ShellFileOperation(unsigned operation, const std::string& from, const std::string& to, unsigned flags,
                        const std::string& title) {
    const std::wstring wideFrom = win32::Wide(from), wideTo = win32::Wide(to), wideTitle = win32::Wide(title);
    SHFILEOPSTRUCTW op = {};
    op.wFunc = operation;
    op.pFrom = wideFrom.c_str();
    op.pTo = wideTo.c_str();
    op.fFlags = static_cast<FILEOP_FLAGS>(flags);
    op.fAnyOperationsAborted = FALSE;
    op.hNameMappings = nullptr;
    op.lpszProgressTitle = (flags & FOF_SIMPLEPROGRESS) ? wideTitle.c_str() : nullptr;
    SHFileOperationW(&op);
    return op.fAnyOperationsAborted != FALSE;
}

}  // namespace qi::platform
