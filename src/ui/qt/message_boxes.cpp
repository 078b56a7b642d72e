#include "ui/qt/message_boxes.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/qt/qt_text.h"

namespace qi {

namespace {

struct BoxButton {
    TMsgDlgButtons bit;
    const char* name;
    const char* caption;
    QMessageBox::ButtonRole role;
    TModalResult result;
};

// In the order the buttons stand; the first one shown is the default.
constexpr BoxButton kButtons[] = {
    {mbYes, "Yes", "はい(&Y)", QMessageBox::YesRole, TModalResult::mrYes},
    {mbNo, "No", "いいえ(&N)", QMessageBox::NoRole, TModalResult::mrNo},
    {mbOK, "OK", "OK", QMessageBox::AcceptRole, TModalResult::mrOk},
    {mbAbort, "Abort", "中止(&A)", QMessageBox::RejectRole, TModalResult::mrAbort},
};

QMessageBox::Icon IconOf(TMsgDlgType kind) {
    switch (kind) {
        case TMsgDlgType::mtInformation: return QMessageBox::Information;
        case TMsgDlgType::mtConfirmation: return QMessageBox::Question;
        default: return QMessageBox::Warning;
    }
}

const char* TitleOf(TMsgDlgType kind) {
    switch (kind) {
        case TMsgDlgType::mtInformation: return "情報";
        case TMsgDlgType::mtConfirmation: return "確認";
        default: return "警告";
    }
}

void Prepare(QMessageBox& box, QMessageBox::Icon icon, const char* title, const std::string& text) {
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setFont(WindowFont());
    box.setIcon(icon);
    box.setWindowTitle(QString::fromUtf8(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(QtText(text));
}

}  // namespace

TModalResult AskMessageBox(QWidget* owner, BoxReason reason, const std::string& text) {
    const TMsgDlgType kind = KindOf(reason);
    QMessageBox box(owner);
    Prepare(box, IconOf(kind), TitleOf(kind), text);
    TModalResult safest = TModalResult::mrOk;
    QPushButton* escape = nullptr;
    for (const BoxButton& button : kButtons) {
        if (!(ButtonsOf(reason) & button.bit)) continue;
        QPushButton* shown = box.addButton(QString::fromUtf8(button.caption), button.role);
        shown->setObjectName(QString::fromUtf8(button.name));
        if (!box.defaultButton()) box.setDefaultButton(shown);
        if (button.result == TModalResult::mrNo || button.result == TModalResult::mrAbort || !escape) {
            escape = shown;
            safest = button.result;
        }
    }
    box.setEscapeButton(escape);
    box.exec();
    for (const BoxButton& button : kButtons) {
        if (box.clickedButton() && box.clickedButton()->objectName() == QString::fromUtf8(button.name)) {
            return button.result;
        }
    }
    return safest;
}

void ShowErrorBox(QWidget* owner, const std::string& message) {
    QMessageBox box(owner);
    Prepare(box, QMessageBox::Critical, "エラー", message);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

}  // namespace qi
