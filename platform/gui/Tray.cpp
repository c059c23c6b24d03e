#include "platform/gui/Tray.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <memory>
#include <vector>

#include "platform/gui/IconData.h"
#include "platform/gui/IconPixmap.h"
#include "platform/gui/QtText.h"
#include "platform/gui/TrayActivation.h"
#include "platform/gui/WindowWidget.h"
#include "text/TextOps.h"

namespace kelvaro::platform {

std::optional<int> TrayActionFor(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      return TrayAction::LeftClick;
    case QSystemTrayIcon::DoubleClick:
      return TrayAction::LeftDoubleClick;
    case QSystemTrayIcon::Context:
      return TrayAction::RightClick;
    default:
      return std::nullopt;
  }
}

namespace {

// A second right click soon after the first reaches the toolkit's tray icon as a right-button
// double click, which the toolkit drops; a right click must always count as one. This relays such
// a double click to the tray icon under the mouse as a right click.
class RightDoubleClickRelay final : public QObject {
 public:
  static void Install() {
    static RightDoubleClickRelay* relay = nullptr;
    if (relay == nullptr) {
      relay = new RightDoubleClickRelay;
      relay->setParent(qApp);
      qApp->installEventFilter(relay);
    }
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonDblClick) return false;
    const auto* click = static_cast<QMouseEvent*>(event);
    if (click->button() != Qt::RightButton || !watched->isWidgetType() ||
        !static_cast<QWidget*>(watched)->isWindow()) {
      return false;
    }
    const QPoint at = click->globalPosition().toPoint();
    for (WindowWidget* window : WindowWidget::Live()) {
      QSystemTrayIcon* icon = window->tray().icon.get();
      if (icon != nullptr && icon->geometry().contains(at)) {
        emit icon->activated(QSystemTrayIcon::Context);
        return true;
      }
    }
    return false;
  }
};

std::unique_ptr<QSystemTrayIcon> InstallTrayIcon(WindowWidget& window, const QIcon& icon) {
  RightDoubleClickRelay::Install();
  auto tray = std::make_unique<QSystemTrayIcon>(icon);
  QPointer<WindowWidget> target(&window);
  QObject::connect(tray.get(), &QSystemTrayIcon::activated, &window,
                   [target](QSystemTrayIcon::ActivationReason reason) {
                     const std::optional<int> action = TrayActionFor(reason);
                     WindowWidget* const owner = target.data();
                     if (!action || owner == nullptr) return;
                     // The handler may destroy the window and with it this tray icon: call a
                     // copy of it.
                     const TrayHandler handler = owner->definition().onTrayEvent;
                     if (handler) handler(owner->handle(), *action);
                   });
  return tray;
}

}  // namespace

void SetTrayIcon(Window& window, std::span<const std::uint8_t> iconData, const Text& tooltip) {
  WindowWidget::TrayRecord& record = window.widget().tray();
  const std::optional<IconImage> image = MakeIcon(iconData, 16);
  record.tooltip = TextLeft(tooltip, kTrayTooltipMaxBytes);
  if (!image) {
    record.icon.reset();
    record.iconSize = QSize(0, 0);
    return;
  }
  const QIcon icon(ToPixmap(*image));
  if (!record.icon) record.icon = InstallTrayIcon(window.widget(), icon);
  record.icon->setIcon(icon);
  record.icon->setToolTip(ToQString(record.tooltip));
  record.icon->show();
  record.iconSize = QSize(image->width, image->height);
}

TrayIconState TrayIconOf(const Window& window) {
  const WindowWidget::TrayRecord& record = window.widget().tray();
  TrayIconState state;
  state.installed = record.icon != nullptr && record.icon->isVisible();
  state.tooltip = record.tooltip;
  state.iconWidth = record.iconSize.width();
  state.iconHeight = record.iconSize.height();
  return state;
}

void PopupTrayMenu(Window& window, const MenuDefinition& menu) {
  QPointer<WindowWidget> target(&window.widget());
  // Copies: the definition the menu came from may go away while the popup is open.
  std::vector<WindowHandler> handlers;
  QAction* chosen = nullptr;
  int chosenIndex = -1;
  {
    QMenu popup;
    popup.setObjectName(ToQString(menu.name));
    std::vector<QAction*> actions;
    for (const MenuItemDefinition& item : menu.items) {
      QAction* action = popup.addAction(ToQString(item.text));
      action->setObjectName(ToQString(item.name));
      action->setEnabled(item.enabled);
      action->setCheckable(item.checked);
      action->setChecked(item.checked);
      actions.push_back(action);
      handlers.push_back(item.onSelected);
    }
    // Right-aligned at the cursor, as a tray menu sits: the right edge at x - 5, the top at
    // y - 5. The toolkit moves a popup that would leave the screen back inside it.
    const QPoint cursor = QCursor::pos();
    const QSize size = popup.sizeHint();
    // The popup grabs the mouse and the keyboard, so a click anywhere else closes it, also while
    // the window is hidden.
    chosen = popup.exec(QPoint(cursor.x() - 5 - size.width(), cursor.y() - 5));
    for (std::size_t i = 0; i < actions.size(); ++i) {
      if (actions[i] == chosen) chosenIndex = static_cast<int>(i);
    }
  }  // the popup is destroyed before the choice is handled
  if (chosenIndex < 0 || !target) return;
  if (const WindowHandler& handler = handlers[static_cast<std::size_t>(chosenIndex)]) {
    handler(target->handle());
  }
}

}  // namespace kelvaro::platform
