#include "settings/settings_fields.h"

namespace qi {

namespace {

const SettingsField kFields[] = {
    {"DiscCount", &TQuorInstallSet::DiscCount},
    {"InstalledFiles", &TQuorInstallSet::InstalledFiles},
    {"SetupCaption", &TQuorInstallSet::SetupCaption},
    {"DiscIndex", &TQuorInstallSet::DiscIndex},
    {"Title", &TQuorInstallSet::Title},
    {"FooterText", &TQuorInstallSet::FooterText},
    {"DefaultFolder", &TQuorInstallSet::DefaultFolder},
    {"ReadmeFile", &TQuorInstallSet::ReadmeFile},
    {"InstallType", &TQuorInstallSet::InstallType},
    {"OpenReadme", &TQuorInstallSet::OpenReadme},
    {"TitleImage", &TQuorInstallSet::TitleImage},
    {"TitleImageMode", &TQuorInstallSet::TitleImageMode},
    {"ExeFile", &TQuorInstallSet::ExeFile},
    {"ImageSeed", &TQuorInstallSet::ImageSeed},
    {"ShowRuntimeButtons", &TQuorInstallSet::ShowRuntimeButtons},
    {"ReservedFlag", &TQuorInstallSet::ReservedFlag},
    {"MediumWord", &TQuorInstallSet::MediumWord},
    {"RegistryKey", &TQuorInstallSet::RegistryKey},
    {"ProgramSizes", &TQuorInstallSet::ProgramSizes},
    {"DataSizes", &TQuorInstallSet::DataSizes},
    {"SoundSizes", &TQuorInstallSet::SoundSizes},
    {"MovieSizes", &TQuorInstallSet::MovieSizes},
    {"ProgramTotal", &TQuorInstallSet::ProgramTotal},
    {"DataTotal", &TQuorInstallSet::DataTotal},
    {"SoundTotal", &TQuorInstallSet::SoundTotal},
    {"MovieTotal", &TQuorInstallSet::MovieTotal},
    {"Installed", &TQuorInstallSet::Installed},
    {"UpdateMode", &TQuorInstallSet::UpdateMode},
    {"DataInstalled", &TQuorInstallSet::DataInstalled},
    {"ExtractFiles", &TQuorInstallSet::ExtractFiles},
    {"SourceFiles", &TQuorInstallSet::SourceFiles},
    {"HelloText", &TQuorInstallSet::HelloText},
    {"LicenseText", &TQuorInstallSet::LicenseText},
};

}  // namespace

std::span<const SettingsField> AllSettingsFields() { return kFields; }

const SettingsField* FindSettingsField(const std::string& name) {
    for (const SettingsField& field : kFields) {
        if (name == field.name) return &field;
    }
    return nullptr;
}

}  // namespace qi
