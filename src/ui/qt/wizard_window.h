#pragma once
// The install wizard as a window: built from the wizard's layout table (ten
// pages, only the current one shown, the bevel and the three buttons below
// them), showing the form model's state after every handler and change,
// and handing every click, check and typed text to the model by control.
#include <QDialog>
#include <QEventLoop>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "wizard/form_type.h"

namespace qi {

class WizardWindow : public QDialog {
public:
    // showError: how an error raised by a handler (the copy and delete
    // pages' work) is shown; the dialog stays on its page.
    WizardWindow(TFormType& form, QWidget* owner, std::function<void(const std::string&)> showError);
    ~WizardWindow() override;
    // Creates the form (FormCreate, which may raise) and shows the wizard
    // modally, centred on its owner, until the form's modal result ends it.
    TModalResult Run();
    // Shows the model's state: caption, page, every control.
    void Refresh();

protected:
    // The close box asks the model, as the abort button does during work.
    void closeEvent(QCloseEvent* event) override;
    // Escape: the wizard has no cancel button.
    void reject() override {}

private:
    QWidget* MakeControl(const ControlPlace& place, QWidget* parent);
    void Connect(const ControlPlace& place, QWidget* widget);
    void ShowControl(const ControlPlace& place);
    void TypedText(WizardControl id, const QString& text);
    void FocusActiveControl();
    // Runs a handler; when it was the outermost one, the modal loop's test.
    void Handle(const std::function<void()>& action);

    TFormType& form_;
    std::function<void(const std::string&)> showError_;
    std::array<QWidget*, kWizardPageCount> pages_{};
    std::vector<QWidget*> controls_;      // by control id
    std::vector<std::string> shownText_;  // the model's text each control shows
    WizardPage shownPage_ = WizardPage::None;
    QEventLoop loop_;
    int depth_ = 0;
};

}  // namespace qi
