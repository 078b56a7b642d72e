#pragma once
// Drives the wizard without a window: message boxes answered from a script,
// pending messages delivered by a test-supplied action, pauses recorded.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "settings/install_set.h"
#include "wizard/form_type.h"

namespace qi::test {

struct AskedBox {
    BoxReason reason;
    TMsgDlgType kind;
    TMsgDlgButtons buttons;
    std::string text;
};

class ScriptedBoxes : public IMessageBoxes {
public:
    TModalResult MessageDlg(BoxReason reason, const std::string& text) override {
        asked.push_back({reason, KindOf(reason), ButtonsOf(reason), text});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected message box: " << platform::Utf8FromCp932(text);
            return TModalResult::mrNo;
        }
        TModalResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<TModalResult> answers;
    std::vector<AskedBox> asked;
};

class ScriptedPump : public IMessagePump {
public:
    void ProcessMessages() override {
        ++calls;
        if (onMessages) onMessages();
    }
    void BringToFront() override { ++raised; }
    std::function<void()> onMessages;
    int calls = 0;
    int raised = 0;
};

class RecordedWaits : public IWaiter {
public:
    void Wait(unsigned milliseconds) override { waits.push_back(milliseconds); }
    std::vector<unsigned> waits;
};

// A registry key of its own per test, removed before and after. Tests run
// side by side, so no two share a parent key: an uninstallation removes its
// parents once they are empty.
class WizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        settings.RegistryKey = std::string("QiWizardTest-") + info->test_suite_name() + "-" + info->name();
        platform::DeleteRegistryTree(platform::RootKey::CurrentUser, "Software\\" + settings.RegistryKey);
        settings.Title = "Game";
        settings.MediumWord = "CD-ROM";
        settings.DefaultFolder = "\\QiWizardGames\\Game";
        OneDisc(10485760, 52428800, 0, 0);
    }
    void TearDown() override {
        platform::DeleteRegistryTree(platform::RootKey::CurrentUser, "Software\\" + settings.RegistryKey);
    }

    void OneDisc(int64_t program, int64_t data, int64_t sound, int64_t movie) {
        DiscSizes({program}, {data}, {sound}, {movie});
        settings.DiscIndex = 0;
    }

    // One disc per size, each component's total their sum.
    void DiscSizes(std::vector<int64_t> program, std::vector<int64_t> data, std::vector<int64_t> sound,
                   std::vector<int64_t> movie) {
        auto sum = [](const std::vector<int64_t>& sizes) {
            int64_t total = 0;
            for (int64_t size : sizes) total += size;
            return total;
        };
        settings.SetDiscCount(static_cast<int32_t>(program.size()));
        settings.ProgramTotal = sum(program);
        settings.DataTotal = sum(data);
        settings.SoundTotal = sum(sound);
        settings.MovieTotal = sum(movie);
        settings.ProgramSizes = std::move(program);
        settings.DataSizes = std::move(data);
        settings.SoundSizes = std::move(sound);
        settings.MovieSizes = std::move(movie);
    }
    // count discs, each with the same program and data sizes.
    void Discs(int count, int64_t program = 100, int64_t data = 100) {
        const auto n = static_cast<size_t>(count);
        DiscSizes(std::vector<int64_t>(n, program), std::vector<int64_t>(n, data), std::vector<int64_t>(n, 0),
                  std::vector<int64_t>(n, 0));
        settings.DiscIndex = 0;
    }

    std::string PageName(const TFormType& form) const {
        return form.CurrentPage() == WizardPage::None ? "(none)" : qi::PageName(form.CurrentPage());
    }

    static std::string Utf8(const std::string& text) { return platform::Utf8FromCp932(text); }

    TQuorInstallSet settings;
    ScriptedBoxes boxes;
    ScriptedPump pump;
    RecordedWaits waits;
};

}  // namespace qi::test
