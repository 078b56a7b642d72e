#pragma once
// Disc images of the disc folders, made by xorriso: ISO 9660 with Joliet
// names (Japanese names kept) and Rock Ridge, the volume named after the
// title. Files and folders keep their times (the release gives its own the
// newest game file's); with SOURCE_DATE_EPOCH set, the image's own dates
// are that time, so the same discs give the same image.
#include <string>

namespace qi {

// Writes the image of folder (ending in "\") to image; label is code page
// 932 text. Raises ReleaseError when the image cannot be made.
void WriteDiscImage(const std::string& folder, const std::string& image, const std::string& label);

}  // namespace qi
