// What the chosen components need, what the target drive has free, and
// which plain files belong to the sound and movie components.
#include <cstdio>
#include <vector>

#include "base/cp932.h"
#include "base/path_helpers.h"
#include "platform/platform.h"
#include "wizard/form_type.h"

namespace qi {

namespace {

// Sizes come from the settings file; a damaged one must not overflow.
int64_t Sum(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

int64_t SizeOfDisc(const std::vector<int64_t>& sizes, int32_t disc) {
    return disc >= 0 && static_cast<size_t>(disc) < sizes.size() ? sizes[static_cast<size_t>(disc)] : 0;
}

// Megabytes with two decimals, at least two characters wide.
std::string Megabytes(int64_t bytes) {
    char text[64];
    std::snprintf(text, sizeof text, "%2.2f", static_cast<double>(bytes) / 1048576.0);
    return text;
}

const std::string kSoundExtensions = ".mp2.mp3.wma.wav.mid.ogg";
const std::string kMovieExtensions = ".avi.wmv.asf.mpg.mpeg";

}  // namespace

void TFormType::UpdateRequiredSize() {
    const TQuorInstallSet& s = settings_;
    if (s.UpdateMode) {
        // An update brings whatever its package holds.
        RequiredBytes = Sum(Sum(s.ProgramTotal, s.DataTotal), Sum(s.SoundTotal, s.MovieTotal));
    } else if (RadioDiskAll.Checked || s.InstallType == itAllComponents) {
        RequiredBytes = s.ProgramTotal;
        if (CheckData.Checked) RequiredBytes = Sum(RequiredBytes, s.DataTotal);
        if (CheckSound.Checked) RequiredBytes = Sum(RequiredBytes, s.SoundTotal);
        if (CheckMovie.Checked) RequiredBytes = Sum(RequiredBytes, s.MovieTotal);
    } else {
        RequiredBytes = SizeOfDisc(s.ProgramSizes, s.DiscIndex);
        if (CheckData.Checked) RequiredBytes = Sum(RequiredBytes, SizeOfDisc(s.DataSizes, s.DiscIndex));
        if (CheckSound.Checked) RequiredBytes = Sum(RequiredBytes, SizeOfDisc(s.SoundSizes, s.DiscIndex));
        if (CheckMovie.Checked) RequiredBytes = Sum(RequiredBytes, SizeOfDisc(s.MovieSizes, s.DiscIndex));
    }
    std::string figure = Megabytes(RequiredBytes);
    LabelSize.Caption = "最低 " + figure + " MBのディスクの空き容量が必要です";
    LabelSzNeed.Caption = "インストールには最低 " + figure + " MBのディスクの空き容量が必要です";
}

void TFormType::UpdateDriveFreeLabel() {
    int64_t free = DriveFreeMB(Drive.Drive);
    if (free >= 0) LabelSzDrv.Caption = "このドライブには " + FormatThousands(free) + " MBの空きがあります";
}

int64_t DriveFreeMB(char letter) {
    std::optional<int64_t> bytes = platform::FreeDiskSpace(std::string(1, letter) + ":\\");
    return bytes ? *bytes / 1048576 : 0;
}

// Matched as a piece of the lists, not as a whole entry: ".mp" is sound.
int MediaKindOfExt(const std::string& ext) {
    if (ext.empty()) return 0;
    std::string lower = LowerCase(ext);
    if (kSoundExtensions.find(lower) != std::string::npos) return 1;
    if (kMovieExtensions.find(lower) != std::string::npos) return 2;
    return 0;
}

}  // namespace qi
