// Shortcut files through the shell-link object and its persist-file
// interface, and folders opened in the file manager.
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/platform.h"
#include "platform/win32/system_error.h"

namespace qi::platform {
namespace {

// COM for the current thread, for as long as the object lives.
class ComScope {
public:
    ComScope() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (initialized_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialized_;
};

template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (pointer_) pointer_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    Interface* operator->() const { return pointer_; }
    void** Out() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

}  // namespace

bool SaveShellLink(const std::string& linkPath, const ShellLinkData& data) {
    ComScope com;
    ComPtr<IShellLinkA> link;
    HRESULT created = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Out());
    if (FAILED(created)) win32::RaiseSystemError(linkPath, static_cast<DWORD>(created));
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.Out()))) return false;
    link->SetDescription(data.description.c_str());
    link->SetPath(data.target.c_str());
    link->SetWorkingDirectory(data.workDir.c_str());
    link->SetArguments(data.arguments.c_str());
    link->SetHotkey(data.hotKey);
    link->SetShowCmd(data.showCommand);
    link->SetIconLocation(data.iconFile.c_str(), data.iconIndex);
    wchar_t wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH) == 0) {
        win32::RaiseSystemError(linkPath, GetLastError());
    }
    HRESULT saved = file->Save(wide, TRUE);
    if (FAILED(saved)) win32::RaiseSystemError(linkPath, static_cast<DWORD>(saved));
    return true;
}

void OpenFolderWindow(const std::string& folder) {
    ShellExecuteA(nullptr, "open", folder.c_str(), nullptr, folder.c_str(), SW_SHOW);
}

bool DesktopAvailable() { return true; }

}  // namespace qi::platform
