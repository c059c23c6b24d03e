// main() of the widget tests: the toolkit draws off screen on one 1024 x 768 screen at 96 dpi,
// with no window frame, so places and sizes are exact.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include "platform/gui/GuiToolkit.h"

namespace {

// The off-screen platform has no window manager and no notification area, and says so each time
// a window is raised, a popup grabs the keyboard or a tray icon is made. That says nothing about
// the system.
QtMessageHandler gPreviousHandler = nullptr;

void DropRaiseNotices(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  for (const char* notice : {"does not support raise()", "does not support grabbing the keyboard",
                             "systemTrayWindowChanged"}) {
    if (message.contains(QLatin1String(notice))) return;
  }
  if (gPreviousHandler != nullptr) gPreviousHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  gPreviousHandler = qInstallMessageHandler(DropRaiseNotices);
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + KELVARO_OFFSCREEN_CONFIG);
  kelvaro::platform::GuiToolkit toolkit;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
