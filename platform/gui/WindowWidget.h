// The toolkit widget behind a Window: the top-level widget with its controls, its tray icon
// record and the outer-size rule. For the layer's own use.
#pragma once

#include <QMargins>
#include <QWidget>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/gui/Window.h"
#include "platform/gui/WindowDefinition.h"
#include "text/Text.h"

class QSystemTrayIcon;

namespace kelvaro::platform {

class BodyDrag;

class WindowWidget final : public QWidget {
 public:
  // The widget with its controls, invisible, owned by `owner` (may be null).
  WindowWidget(const WindowDefinition& definition, QWidget* owner);
  // Removes the tray icon last.
  ~WindowWidget() override;

  Window& handle() { return handle_; }
  const WindowDefinition& definition() const { return definition_; }

  struct Control {
    const ControlDefinition* definition;
    QWidget* widget;
    Text text;  // as last set (labels and buttons)
  };
  // The control of that name, or nullptr.
  Control* FindControl(std::string_view name);
  const Control* FindControl(std::string_view name) const;

  // The tray icon record.
  struct TrayRecord {
    std::unique_ptr<QSystemTrayIcon> icon;  // installed icon, or none
    Text tooltip;
    QSize iconSize{0, 0};  // of the held icon; 0 x 0 while none is held
  };
  TrayRecord& tray() { return *tray_; }
  const TrayRecord& tray() const { return *tray_; }

  // Windows alive right now, in order of creation.
  static const std::vector<WindowWidget*>& Live();
  static int LiveCount() { return static_cast<int>(Live().size()); }

 protected:
  bool event(QEvent* event) override;

 private:
  void PlaceOnScreen();
  void KeepOuterSize();

  WindowDefinition definition_;
  Window handle_{*this};
  std::vector<Control> controls_;
  std::unique_ptr<BodyDrag> drag_;
  std::unique_ptr<TrayRecord> tray_;
};

}  // namespace kelvaro::platform
