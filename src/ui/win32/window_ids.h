#pragma once
// What a test or a tool needs to find the setup program's windows: their
// window classes and the ids of their controls.
#include "app/start_forms.h"
#include "wizard/wizard_layout.h"

namespace qi::win32 {

inline constexpr wchar_t kLauncherClass[] = L"QiLauncher";
inline constexpr wchar_t kBackdropClass[] = L"QiBackdrop";
inline constexpr wchar_t kWizardClass[] = L"QiWizard";
inline constexpr wchar_t kPageClass[] = L"QiPage";

// The launcher's buttons in tab order: btnStart, btnInstall, btnDirectX,
// btnWinMedia, btnExit.
inline constexpr int kLauncherButtonId = 101;
inline constexpr int kLauncherButtonCount = 5;
// The backdrop's footer label.
inline constexpr int kFooterId = 201;
// A wizard control's id; a page panel's id.
inline constexpr int kWizardControlBase = 300;
inline constexpr int kWizardPageBase = 280;
inline int WizardControlId(WizardControl id) { return kWizardControlBase + static_cast<int>(id); }
inline int WizardPageId(WizardPage page) { return kWizardPageBase + PageIndex(page); }

}  // namespace qi::win32
