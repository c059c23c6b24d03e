#include <optional>

#include "app/AppIcon.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "app/SharedClient.h"
#include "lookup/BalanceQuery.h"
#include "lookup/LookupProtocol.h"
#include "platform/gui/Tray.h"

namespace kelvaro {

void OnMainWindowCreated(platform::Window& window) {
  window.SetIcons(AppIcon());
  platform::SetTrayIcon(window, AppIcon(), Text(kTrayTooltip));
  // The priming request: a synchronous GET whose outcome and answer are not read. The window is
  // shown only after it has ended, successfully or not.
  if (!SharedClientExists()) return;
  Text url = PrimingUrl();
  SharedClient().Open(Text("GET"), url, std::nullopt);
  SharedClient().Send();
}

void OnTrayEvent(platform::Window& window, int action) {
  window.Hide();
  if (action == platform::TrayAction::RightClick) {
    platform::PopupTrayMenu(window, *window.definition().menu);
  }
}

void OnShowItemSelected(platform::Window& window) {
  window.Show();
}

void OnCloseItemSelected(platform::Window&) {
  EndProgram(0);
}

namespace {

// MainWindow as the query sees it: 编辑框1's text in, 标签3's text out, and the event pump.
// A window closed while the query runs is only hidden until the modal wait regains control
// (Window::Close), so the reference stays valid for the whole query.
class MainQueryWindow final : public QueryWindow {
 public:
  explicit MainQueryWindow(platform::Window& window) : window_(window) {}
  Text NumberText() override { return window_.ControlText(kEditBox1); }
  void ShowResult(const Text& line) override { window_.SetControlText(kLabel3, line); }
  void ProcessEvents() override { platform::ProcessEvents(); }

 private:
  platform::Window& window_;
};

}  // namespace

void OnQueryButtonClicked(platform::Window& window) {
  if (!SharedClientExists()) return;
  MainQueryWindow queryWindow(window);
  QueryBalance(SharedClient(), queryWindow);
}

}  // namespace kelvaro
