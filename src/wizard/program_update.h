#pragma once
// The update of a game kept as one program with its data appended: the
// package's entries and the installed ones the package does not replace are
// written out into a work folder, packed into a new archive behind the
// program part, checked, and the new program is copied over the installed
// one. The installed program is untouched until that last copy.
#include <string>

namespace qi {

class TVrFileCollection;

class ProgramUpdate {
public:
    // Finds the program of that title in the folder and makes the work
    // folder; raises an error when either fails.
    ProgramUpdate(const std::string& folder, const std::string& title);
    ~ProgramUpdate();
    ProgramUpdate(const ProgramUpdate&) = delete;
    ProgramUpdate& operator=(const ProgramUpdate&) = delete;

    // The program's file name, and the work folder the new archive is
    // collected in (the destination opens it as a folder of loose files).
    const std::string& TargetName() const { return targetName_; }
    const std::string& WorkFolder() const { return workFolder_; }
    // A disc's package entries (loose ones are written by the run itself).
    void AddPackageEntries(TVrFileCollection& package, TVrFileCollection& dest);
    // The installed entries the package does not replace.
    void KeepInstalledEntries(TVrFileCollection& dest);
    // The new program: the package's program of that name or the installed
    // program part, followed by dest written as an archive; dest then
    // opens the new program. Raises an error when an installed entry would
    // be missing from it; false when the writing was cancelled.
    bool Build(TVrFileCollection& package, TVrFileCollection& dest);
    // Puts the new program in the installed one's place.
    void ReplaceTarget();

private:
    std::string targetExe_;
    std::string targetName_;
    std::string workFolder_;
    std::string newExe_;
};

}  // namespace qi
