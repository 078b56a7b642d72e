// Shortcut files through the shell-link object and its persist-file
// interface, and folders opened in the file manager.
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "platform/platform.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"

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

bool RemoveShellLink(const std::string& linkPath) { return RemoveFile(linkPath); }

bool SaveShellLink(const std::string& linkPath, const ShellLinkData& data) {
    ComScope com;
    ComPtr<IShellLinkW> link;
    HRESULT created = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Out());
    if (FAILED(created)) win32::RaiseSystemError(linkPath, static_cast<DWORD>(created));
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.Out()))) return false;
    link->SetDescription(win32::Wide(data.description).c_str());
    link->SetPath(win32::Wide(data.target).c_str());
    link->SetWorkingDirectory(win32::Wide(data.workDir).c_str());
    link->SetArguments(win32::Wide(data.arguments).c_str());
    link->SetHotkey(data.hotKey);
    link->SetShowCmd(data.showCommand);
    link->SetIconLocation(win32::Wide(data.iconFile).c_str(), data.iconIndex);
    HRESULT saved = file->Save(win32::Wide(linkPath).c_str(), TRUE);
    if (FAILED(saved)) win32::RaiseSystemError(linkPath, static_cast<DWORD>(saved));
    return true;
}

void OpenFolderWindow(const std::string& folder) {
    const std::wstring wide = win32::Wide(folder);
    ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, wide.c_str(), SW_SHOW);
}

bool DesktopAvailable() { return true; }

}  // namespace qi::platform
