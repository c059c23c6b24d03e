#include "app/Program.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <optional>

#include "app/ExitRoutines.h"
#include "app/MainWindow.h"
#include "app/SharedClient.h"
#include "app/tests/AppTestSupport.h"
#include "platform/automation/ComInit.h"
#include "platform/gui/Window.h"
#include "platform/gui/WindowWidget.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace kelvaro {
namespace {

using platform::InitCall;
using testing::EventLog;
using testing::FindWindow;

std::optional<int> gEndedWith;

// Runs the program in this process: `whileRunning` acts once MainWindow is on screen; the process
// end is recorded instead of ending the test.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EventLog().clear();
    gEndedWith.reset();
    previousEnd_ = SetProcessEnd([](int status) { gEndedWith = status; });
    platform::ClearInitJournal();
  }
  void TearDown() override {
    SetProcessEnd(previousEnd_);
    testing::DestroyAllWindows();
    DestroySharedClient();
  }

  // Runs ProgramMain and then the shutdown sequence, as the program's main() does.
  int Run(std::function<void(QWidget& mainWindow)> whileRunning) {
    QTimer::singleShot(0, [whileRunning] {
      QWidget* window = FindWindow("MainWindow");
      if (window == nullptr) return;
      QObject::connect(window, &QObject::destroyed,
                       [] { EventLog().push_back("window destroyed"); });
      EventLog().push_back(window->isVisible() ? "window shown" : "window not shown");
      whileRunning(*window);
    });
    const int status = ProgramMain();
    EventLog().push_back("ProgramMain returned");
    RunShutdownSequence();
    return status;
  }

  // The events of `kinds`, in order.
  static std::vector<std::string> Events(std::initializer_list<std::string_view> kinds) {
    std::vector<std::string> picked;
    for (const std::string& event : EventLog()) {
      for (const std::string_view kind : kinds) {
        if (event.starts_with(kind)) picked.push_back(event);
      }
    }
    return picked;
  }

  testing::RecordingRequestClass requestClass_;
  ProcessEnd previousEnd_ = nullptr;
};

const std::vector<InitCall> kNestedInitialisation = {
    InitCall::OleInitialize, InitCall::CoInitialize, InitCall::CoUninitialize,
    InitCall::OleUninitialize};

TEST_F(ProgramTest, ClosingTheWindowEndsTheProgramAndThenDestroysTheClient) {
  const int status = Run([](QWidget& window) { window.close(); });
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(gEndedWith.has_value());  // it ended by returning, not through EndProgram
  EXPECT_EQ(Events({"window ", "request released", "ProgramMain returned"}),
            (std::vector<std::string>{"window shown", "window destroyed", "ProgramMain returned",
                                      "request released"}));
  EXPECT_EQ(platform::InitJournal(), kNestedInitialisation);
  EXPECT_FALSE(SharedClientExists());
  EXPECT_FALSE(platform::OwnerWindowExists());
  EXPECT_EQ(platform::LiveWindowCount(), 0);
  EXPECT_EQ(ExitRoutineCount(), 0);
}

TEST_F(ProgramTest, CloseItemEndsWithStatusZeroDestroyingTheClientBeforeTheWindow) {
  testing::PopupWatcher watcher;
  watcher.Plan({"\xE5\x85\xB3\xE9\x97\xAD"});  // "关闭"
  bool trayIconGone = false;
  Run([&trayIconGone](QWidget& window) {
    auto& widget = static_cast<platform::WindowWidget&>(window);
    QPointer<QSystemTrayIcon> tray = widget.tray().icon.get();
    ASSERT_FALSE(tray.isNull());
    // The right click that opens the menu hides the window first.
    emit tray->activated(QSystemTrayIcon::Context);
    trayIconGone = tray.isNull();
  });
  EXPECT_EQ(gEndedWith, 0);
  EXPECT_TRUE(trayIconGone);
  EXPECT_EQ(Events({"window ", "request released", "ProgramMain returned"}),
            (std::vector<std::string>{"window shown", "request released", "window destroyed",
                                      "ProgramMain returned"}));
  // The shutdown ran once, inside EndProgram.
  EXPECT_EQ(platform::InitJournal(), kNestedInitialisation);
  EXPECT_FALSE(SharedClientExists());
  EXPECT_FALSE(platform::OwnerWindowExists());
}

TEST_F(ProgramTest, ThePrimingRequestIsSentOnceBeforeTheWindowIsShown) {
  Run([](QWidget& window) { window.close(); });
  const std::vector<std::string> requests = Events({"Open(", "Send(", "window shown"});
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_TRUE(requests[0].starts_with("Open(GET,http://")) << requests[0];
  EXPECT_TRUE(requests[0].ends_with(",false) while hidden")) << requests[0];
  EXPECT_EQ(requests[1], "Send(-) while hidden");
  EXPECT_EQ(requests[2], "window shown");
}

TEST_F(ProgramTest, AWindowThatHidesToTheTrayKeepsTheProgramRunning) {
  testing::PopupWatcher watcher;
  watcher.Plan({"\xE6\x98\xBE\xE7\xA4\xBA"});  // "显示"
  Run([](QWidget& window) {
    auto& widget = static_cast<platform::WindowWidget&>(window);
    emit widget.tray().icon->activated(QSystemTrayIcon::Trigger);
    EventLog().push_back(window.isVisible() ? "still shown" : "hidden");
    emit widget.tray().icon->activated(QSystemTrayIcon::Context);
    EventLog().push_back(window.isVisible() ? "shown again" : "still hidden");
    window.close();
  });
  EXPECT_EQ(Events({"hidden", "shown again", "still"}),
            (std::vector<std::string>{"hidden", "shown again"}));
  EXPECT_FALSE(gEndedWith.has_value());
}

}  // namespace
}  // namespace kelvaro
