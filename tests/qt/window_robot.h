#pragma once
// Drives the real windows as a user would: steps wait until what they need
// is on the screen (a page, a message box) and then click or type. The
// steps run from the event loops the windows themselves run, modal ones
// included; a run that stalls ends the test program with the waiting step.
#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QTimer>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/qt/qt_host.h"

namespace qi::test {

// A top-level window by object name ("FormType", "FormStart", "MessageBox").
QWidget* Window(const char* name);
// A child of a window by object name; the test fails without it.
template <typename T = QWidget>
T* Child(const char* window, const char* name) {
    QWidget* top = Window(window);
    T* child = top ? top->findChild<T*>(QString::fromUtf8(name)) : nullptr;
    if (!child) ADD_FAILURE() << window << "." << name << " is not there";
    return child;
}
bool PageShown(const char* page);
void Click(const char* window, const char* name);

// Saves what the window shows as NAME.png in the pictures folder (the
// wizard on top of the backdrop behind it), checks that every caption
// shown in it carries text, and returns the picture.
QImage Snapshot(const char* window, const std::string& name);
// Pixels of the area that stand out from its commonest colour.
int Ink(const QImage& picture, const QRect& area);

class Robot {
public:
    Robot();
    // A step: when ready() holds, act() runs once.
    void Then(std::string what, std::function<bool()> ready, std::function<void()> act);
    // Shorthands: on the page, click; a message box, answer with a button.
    void OnPage(const char* page, std::function<void()> act);
    void Answer(const char* button, std::function<void()> before = nullptr);
    bool Done() const { return steps_.empty(); }

private:
    struct Step {
        std::string what;
        std::function<bool()> ready;
        std::function<void()> act;
    };
    void Poll();
    std::deque<Step> steps_;
    bool acting_ = false;
    QTimer poll_, watchdog_;
};

// The desktop host as a test runs it: no pauses, programs recorded instead
// of started, and a hook in every round of pending messages.
class TestQtHost : public QtHost {
public:
    explicit TestQtHost(const std::string& programFile, PictureRequest pictures = {})
        : QtHost(programFile, false, std::move(pictures)) {}
    int StartProgram(const std::string& file, const std::string& arguments) override;
    int StartTemporaryCopy(const std::string& file, const std::string& arguments) override;
    void OpenShortcutFolder(TShellLinkType, const std::string&) override {}
    void OpenDocument(const std::string&, const std::string&) override {}
    void ProcessMessages() override;
    std::vector<std::string> started;
    std::function<void()> onMessages;
};

}  // namespace qi::test
