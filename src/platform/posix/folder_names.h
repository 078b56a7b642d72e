#pragma once
// The names in the folders that path mapping looks into, by their names
// with ASCII letters folded. A folder's listing is kept while the folder's
// status change time is what it was when it was read, or when this program
// last changed it (its own creations, renames and deletions note
// themselves); any other change has the folder read again. So writing
// many files into one folder does not read the folder once per file, and
// for a millisecond after a change of its own the time is not read again.
#include <functional>
#include <optional>
#include <string>

namespace qi::platform::posix {

// The entry of folder whose name equals name ignoring ASCII case; empty
// when none; nullopt when folder is not a folder.
std::optional<std::string> MatchIgnoringCase(const std::string& folder, const std::string& name);

// The same from a listing kept and still current, without reading the
// folder; nullopt when no such listing is kept.
std::optional<std::string> KeptMatchIgnoringCase(const std::string& folder, const std::string& name);

// Makes a change in a folder (change: true when done) and notes it in the
// kept listings: the host path removed and the one made, either may be
// empty. No look-up sees the folder between the change and its note, so the
// threads of one program that write into one folder keep its listing.
bool ChangeNoted(const std::function<bool()>& change, const std::string& removed, const std::string& made);

}  // namespace qi::platform::posix
