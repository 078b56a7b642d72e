#include "qt/window_robot.h"

#include <QCheckBox>
#include <QDir>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <cstdlib>

namespace qi::test {

namespace {

constexpr int kStallMilliseconds = 60000;

// The part of a control where its caption is drawn.
QRect CaptionArea(QWidget* top, QWidget* control) {
    QRect area(control->mapTo(top, QPoint(0, 0)), control->size());
    if (qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control)) return area.adjusted(20, 0, 0, 0);
    if (qobject_cast<QPushButton*>(control)) return area.adjusted(4, 4, -4, -4);
    return area;
}

QString CaptionOf(QWidget* control) {
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text().trimmed();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text().trimmed();
    return {};
}

}  // namespace

QWidget* Window(const char* name) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->objectName() == QString::fromUtf8(name)) return top;
    }
    return nullptr;
}

bool PageShown(const char* page) {
    QWidget* wizard = Window("FormType");
    QWidget* shown = wizard ? wizard->findChild<QWidget*>(QString::fromUtf8(page)) : nullptr;
    return shown && shown->isVisible() && !Window("MessageBox");
}

void Click(const char* window, const char* name) {
    if (auto* button = Child<QAbstractButton>(window, name)) {
        EXPECT_TRUE(button->isVisible() && button->isEnabled()) << name << " cannot be clicked";
        button->click();
    }
}

int Ink(const QImage& picture, const QRect& area) {
    QHash<QRgb, int> counts;
    const QRect inside = area.intersected(picture.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) ++counts[picture.pixel(x, y)];
    }
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        if (it.value() > most) background = it.key(), most = it.value();
    }
    int ink = 0;
    for (auto it = counts.begin(); it != counts.end(); ++it) {
        if (std::abs(qGray(it.key()) - qGray(background)) > 32) ink += it.value();
    }
    return ink;
}

QImage Snapshot(const char* window, const std::string& name) {
    QWidget* top = Window(window);
    if (!top) {
        ADD_FAILURE() << "no window " << window << " for " << name;
        return {};
    }
    const QImage own = top->grab().toImage();
    for (QWidget* control : top->findChildren<QWidget*>()) {
        const QString caption = CaptionOf(control);
        if (control->isVisible() && !caption.isEmpty()) {
            EXPECT_GT(Ink(own, CaptionArea(top, control)), 2)
                << name << ": no text where " << control->objectName().toStdString() << " shows "
                << caption.toStdString();
        }
    }
    QImage picture = own;
    if (QWidget* owner = top->parentWidget()) {
        picture = owner->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect place(top->geometry().topLeft() - owner->geometry().topLeft(), own.size());
        QPainter painter(&picture);
        painter.drawImage(place.topLeft(), own);
        painter.setPen(Qt::darkGray);
        painter.drawRect(place.adjusted(-1, -1, 0, 0));  // the window's edge
    }
    QDir().mkpath(QStringLiteral(QI_PICTURES));
    EXPECT_TRUE(picture.save(QStringLiteral(QI_PICTURES "/") + QString::fromStdString(name) + ".png"));
    return picture;
}

Robot::Robot() {
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start(0);
    watchdog_.setSingleShot(true);
    QObject::connect(&watchdog_, &QTimer::timeout, [this] {
        std::fprintf(stderr, "the windows stalled; waiting for: %s\n", steps_.empty() ? "-" : steps_.front().what.c_str());
        std::_Exit(1);
    });
    watchdog_.start(kStallMilliseconds);
}

void Robot::Then(std::string what, std::function<bool()> ready, std::function<void()> act) {
    steps_.push_back({std::move(what), std::move(ready), std::move(act)});
}

void Robot::OnPage(const char* page, std::function<void()> act) {
    Then(std::string("the page ") + page, [page] { return PageShown(page); }, std::move(act));
}

void Robot::Answer(const char* button, std::function<void()> before) {
    Then(std::string("a message box to answer ") + button, [] { return Window("MessageBox") != nullptr; },
         [button, before] {
             if (before) before();
             Click("MessageBox", button);
         });
}

void Robot::Poll() {
    if (acting_ || steps_.empty() || !steps_.front().ready()) return;
    acting_ = true;
    Step step = std::move(steps_.front());
    steps_.pop_front();
    // The action runs from a timer of its own, so that the modal loops it
    // opens still see this poll.
    QTimer::singleShot(0, &poll_, [this, step] {
        acting_ = false;
        step.act();
    });
}

int TestQtHost::StartProgram(const std::string& file, const std::string& arguments) {
    started.push_back(file + "|" + arguments);
    return 42;
}

int TestQtHost::StartTemporaryCopy(const std::string& file, const std::string& arguments) {
    started.push_back("copy " + file + "|" + arguments);
    return 42;
}

void TestQtHost::ProcessMessages() {
    QtHost::ProcessMessages();
    if (onMessages) onMessages();
}

}  // namespace qi::test
