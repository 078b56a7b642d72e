#include "ui/qt/wizard_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

#include "ui/qt/dialog_frame.h"
#include "ui/qt/folder_lists.h"
#include "ui/qt/qt_text.h"

namespace qi {

namespace {

constexpr int kProgressSteps = 1000;

// The text of the model a control shows: a caption, a text, a folder, a drive.
std::string ModelTextOf(const TFormType& form, const ControlPlace& place) {
    const TControl& control = form.Control(place.id);
    switch (place.kind) {
        case ControlKind::TextView:
        case ControlKind::Edit: return static_cast<const TEdit&>(control).Text;
        case ControlKind::DirectoryList: return static_cast<const TDirectoryList&>(control).Directory;
        case ControlKind::DriveList: return std::string(1, static_cast<const TDriveList&>(control).Drive);
        case ControlKind::ProgressBar:
        case ControlKind::Bevel: return {};
        default: return control.Caption;
    }
}

int ProgressValue(const TProgressBar& bar) {
    if (bar.Max <= 0 || bar.Position <= 0) return 0;
    if (bar.Position >= bar.Max) return kProgressSteps;
    return static_cast<int>(static_cast<double>(bar.Position) / static_cast<double>(bar.Max) * kProgressSteps);
}

}  // namespace

WizardWindow::WizardWindow(TFormType& form, QWidget* owner, std::function<void(const std::string&)> showError)
    : QDialog(owner), form_(form), showError_(std::move(showError)) {
    setObjectName(QStringLiteral("FormType"));
    setWindowFlags(kDialogFrame);
    setWindowModality(Qt::ApplicationModal);
    setFont(WindowFont());
    setWindowTitle(QtText(form.Caption));
    setFixedSize(kWizardClientWidth, kWizardClientHeight);
    for (int i = 0; i < kWizardPageCount; ++i) {
        pages_[i] = new QWidget(this);
        pages_[i]->setObjectName(QString::fromUtf8(PageName(PageAt(i))));
        pages_[i]->setGeometry(0, 0, kWizardClientWidth, kWizardPageHeight);
        pages_[i]->hide();
    }
    // Made in the table's order, which is the tab order.
    for (const ControlPlace& place : WizardLayout()) {
        QWidget* parent = place.page == WizardPage::None ? this : pages_[PageIndex(place.page)];
        QWidget* widget = MakeControl(place, parent);
        widget->setObjectName(QString::fromUtf8(place.name));
        widget->setGeometry(place.left, place.top, place.width, place.height);
        Connect(place, widget);
        controls_.push_back(widget);
    }
    shownText_.resize(controls_.size());
    form_.OnChange = [this](FormChange) { Refresh(); };
}

WizardWindow::~WizardWindow() { form_.OnChange = nullptr; }

QWidget* WizardWindow::MakeControl(const ControlPlace& place, QWidget* parent) {
    switch (place.kind) {
        case ControlKind::Label: {
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            return label;
        }
        case ControlKind::TextView: {
            auto* view = new QPlainTextEdit(parent);
            view->setReadOnly(true);
            view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            return view;
        }
        case ControlKind::CheckBox: return new QCheckBox(parent);
        case ControlKind::RadioButton: {
            // The model unchecks the other buttons of the page.
            auto* radio = new QRadioButton(parent);
            radio->setAutoExclusive(false);
            return radio;
        }
        case ControlKind::Edit: return new QLineEdit(parent);
        case ControlKind::DirectoryList: return new FolderList(parent);
        case ControlKind::DriveList: return new DriveBox(parent);
        case ControlKind::ProgressBar: {
            auto* bar = new QProgressBar(parent);
            bar->setRange(0, kProgressSteps);
            bar->setTextVisible(false);
            return bar;
        }
        case ControlKind::Bevel: {
            auto* line = new QFrame(parent);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            return line;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(parent);
            button->setDefault(place.id == WizardControl::btnNext);
            return button;
        }
    }
    return new QWidget(parent);
}

void WizardWindow::Connect(const ControlPlace& place, QWidget* widget) {
    const WizardControl id = place.id;
    switch (place.kind) {
        case ControlKind::CheckBox: {
            auto* box = static_cast<QCheckBox*>(widget);
            connect(box, &QCheckBox::clicked, this, [this, id](bool checked) {
                Handle([this, id, checked] { form_.SetChecked(id, checked); });
            });
            break;
        }
        case ControlKind::RadioButton:
        case ControlKind::Button:
            connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
                    [this, id] { Handle([this, id] { form_.Click(id); }); });
            break;
        case ControlKind::Edit:
            connect(static_cast<QLineEdit*>(widget), &QLineEdit::textEdited, this,
                    [this, id](const QString& text) { TypedText(id, text); });
            break;
        case ControlKind::DirectoryList:
            static_cast<FolderList*>(widget)->OnPick = [this, id](const std::string& folder) {
                Handle([this, id, folder] { form_.SetText(id, folder); });
            };
            break;
        case ControlKind::DriveList:
            static_cast<DriveBox*>(widget)->OnPick = [this, id](char letter) {
                Handle([this, id, letter] { form_.SetText(id, std::string(1, letter)); });
            };
            break;
        default: break;
    }
}

void WizardWindow::TypedText(WizardControl id, const QString& text) {
    std::optional<std::string> typed = ModelText(text);
    if (!typed) {
        // A character the model's code page cannot hold is not taken.
        static_cast<QLineEdit*>(controls_[static_cast<size_t>(id)])->setText(QtText(ModelTextOf(form_, PlaceOf(id))));
        return;
    }
    Handle([this, id, &typed] { form_.SetText(id, *typed); });
}

void WizardWindow::Handle(const std::function<void()>& action) {
    ++depth_;
    try {
        action();
    } catch (const std::exception& e) {
        Refresh();
        showError_(e.what());
    }
    --depth_;
    Refresh();
    // Like the toolkit's modal loop: a result set by the handler ends the
    // dialog once the outermost handler is done, if the model agrees.
    if (depth_ == 0 && form_.ModalResult != TModalResult::mrNone && form_.CheckModalEnd()) loop_.quit();
}

void WizardWindow::Refresh() {
    setWindowTitle(QtText(form_.Caption));
    const WizardPage current = form_.CurrentPage();
    for (int i = 0; i < kWizardPageCount; ++i) pages_[i]->setVisible(PageAt(i) == current);
    for (const ControlPlace& place : WizardLayout()) ShowControl(place);
    if (current != shownPage_) {
        shownPage_ = current;
        FocusActiveControl();
    }
}

void WizardWindow::FocusActiveControl() {
    auto* focus = findChild<QWidget*>(QString::fromStdString(form_.ActiveControl));
    if (focus && focus->isVisible() && focus->isEnabled()) focus->setFocus();
}

void WizardWindow::ShowControl(const ControlPlace& place) {
    const size_t index = static_cast<size_t>(place.id);
    QWidget* widget = controls_[index];
    const TControl& control = form_.Control(place.id);
    widget->setVisible(control.Visible);
    widget->setEnabled(control.Enabled);
    if (place.kind == ControlKind::CheckBox || place.kind == ControlKind::RadioButton) {
        static_cast<QAbstractButton*>(widget)->setChecked(static_cast<const TCheckBox&>(control).Checked);
    } else if (place.kind == ControlKind::ProgressBar) {
        static_cast<QProgressBar*>(widget)->setValue(ProgressValue(static_cast<const TProgressBar&>(control)));
    }
    std::string text = ModelTextOf(form_, place);
    if (text == shownText_[index]) return;
    shownText_[index] = text;
    switch (place.kind) {
        case ControlKind::Label: static_cast<QLabel*>(widget)->setText(QtText(text)); break;
        case ControlKind::TextView: static_cast<QPlainTextEdit*>(widget)->setPlainText(QtText(text)); break;
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::Button: static_cast<QAbstractButton*>(widget)->setText(QtText(text)); break;
        case ControlKind::Edit: {
            // What the user typed stays as typed while it means the same folder.
            auto* edit = static_cast<QLineEdit*>(widget);
            if (ModelText(edit->text()) != text) edit->setText(QtText(text));
            break;
        }
        case ControlKind::DirectoryList: static_cast<FolderList*>(widget)->ShowFolder(text); break;
        case ControlKind::DriveList: static_cast<DriveBox*>(widget)->ShowDrive(text[0]); break;
        default: break;
    }
}

void WizardWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    Handle([this] { form_.Close(); });
}

TModalResult WizardWindow::Run() {
    form_.FormCreate();
    Refresh();
    if (QWidget* owner = parentWidget()) move(owner->geometry().center() - rect().center());
    show();
    raise();
    activateWindow();
    FocusActiveControl();
    loop_.exec();
    hide();
    return form_.ModalResult;
}

}  // namespace qi
