#pragma once
// The names in the folders that path mapping looks into, by their names
// with ASCII letters folded. A folder's listing is kept while the folder's
// modification time is what it was when it was read, or when this program
// last made a name in it (creations note themselves); any other change,
// a deletion or a rename included, has the folder read again. So writing
// many files into one folder does not read the folder once per file.
#include <string>

namespace qi::platform::posix {

// The entry of folder whose name equals name ignoring ASCII case; empty when none.
std::string MatchIgnoringCase(const std::string& folder, const std::string& name);

// Notes a file or folder this program has just made (its host path).
void NoteNameMade(const std::string& path);

}  // namespace qi::platform::posix
