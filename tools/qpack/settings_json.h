#pragma once
// The install settings as one JSON object: "FormatVersion" and every field
// under its own name, text in UTF-8.
#include "json.h"
#include "settings/install_set.h"

namespace qpack {

Json SettingsToJson(const qi::TQuorInstallSet& settings);
// Fields missing from the object keep their value in settings. Raises
// std::runtime_error naming the key for a wrong type, an out-of-range
// number, an unknown key or text that code page 932 cannot hold.
void SettingsFromJson(const Json& object, qi::TQuorInstallSet& settings);

}  // namespace qpack
