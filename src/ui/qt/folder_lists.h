#pragma once
// The folder page's linked lists: the folders from the drive's root down to
// the one shown, with that folder's sub-folders below it, and the drives.
// They show what the wizard model holds and report what the user picks.
#include <QComboBox>
#include <QListWidget>
#include <functional>
#include <string>

namespace qi {

class FolderList : public QListWidget {
public:
    explicit FolderList(QWidget* parent);
    // folder: a Windows path ("C:\" for a root).
    void ShowFolder(const std::string& folder);
    // A folder opened with a double click or Enter.
    std::function<void(const std::string& folder)> OnPick;

protected:
    // Enter opens the folder and goes no further (not to the default button).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AddFolder(const std::string& name, const std::string& path, int depth);
    std::string shown_;
};

class DriveBox : public QComboBox {
public:
    explicit DriveBox(QWidget* parent);
    void ShowDrive(char letter);
    // A drive chosen, as its letter.
    std::function<void(char letter)> OnPick;
};

}  // namespace qi
