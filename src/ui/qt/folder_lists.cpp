#include "ui/qt/folder_lists.h"

#include <QKeyEvent>
#include <algorithm>

#include "platform/platform.h"
#include "base/cp932.h"
#include "base/path_helpers.h"
#include "ui/qt/qt_text.h"

namespace qi {

namespace {

std::string DriveRoot(char letter) { return std::string(1, letter) + ":\\"; }

// The visible sub-folders of folder, by name.
std::vector<std::string> SubFolders(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : platform::ListDirectory(AddBackslash(folder))) {
        if ((entry.attributes & platform::kAttrDirectory) && !(entry.attributes & platform::kAttrHidden)) {
            names.push_back(entry.name);
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return QtText(a).compare(QtText(b), Qt::CaseInsensitive) < 0;
    });
    return names;
}

}  // namespace

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (OnPick) OnPick(item->data(Qt::UserRole).toByteArray().toStdString());
    });
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return QListWidget::keyPressEvent(event);
    event->accept();
    if (currentItem()) emit itemActivated(currentItem());
}

void FolderList::AddFolder(const std::string& name, const std::string& path, int depth) {
    auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + QtText(name), this);
    item->setData(Qt::UserRole, QByteArray::fromStdString(path));
}

void FolderList::ShowFolder(const std::string& folder) {
    if (folder == shown_ || folder.size() < 3) return;
    shown_ = folder;
    clear();
    // The root, then each folder on the way down.
    AddFolder(folder.substr(0, 3), folder.substr(0, 3), 0);
    int depth = 0;
    size_t start = 3;
    for (size_t i = 3; i <= folder.size(); ++i) {
        if (i < folder.size() && !IsPathDelimiter(folder, i)) continue;
        if (i > start) AddFolder(folder.substr(start, i - start), folder.substr(0, i), ++depth);
        start = i + 1;
    }
    setCurrentRow(count() - 1);
    for (const std::string& name : SubFolders(folder)) AddFolder(name, AddBackslash(folder) + name, depth + 1);
}

DriveBox::DriveBox(QWidget* parent) : QComboBox(parent) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (platform::DirectoryExists(DriveRoot(letter))) addItem(QStringLiteral("%1:").arg(QChar(letter).toLower()));
    }
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (OnPick && index >= 0) OnPick(itemText(index).toUpper().toLatin1().at(0));
    });
}

void DriveBox::ShowDrive(char letter) {
    const QString text = QStringLiteral("%1:").arg(QChar(letter).toLower());
    if (findText(text) < 0) addItem(text);
    setCurrentIndex(findText(text));
}

}  // namespace qi
