#pragma once
// The settings' fields by name, in their declared order: how the tools show
// the settings and let a game maker set any of them.
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "settings/install_set.h"

namespace qi {

using SettingsMember =
    std::variant<std::string TQuorInstallSet::*, bool TQuorInstallSet::*, uint8_t TQuorInstallSet::*,
                 int32_t TQuorInstallSet::*, int64_t TQuorInstallSet::*, std::vector<int64_t> TQuorInstallSet::*,
                 std::vector<std::string> TQuorInstallSet::*>;

struct SettingsField {
    const char* name;
    SettingsMember member;
};

std::span<const SettingsField> AllSettingsFields();
// nullptr when no field has that name.
const SettingsField* FindSettingsField(const std::string& name);

}  // namespace qi
