#include "platform/gui/WindowWidget.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <vector>

#include "platform/gui/BodyDrag.h"
#include "platform/gui/ControlWidgets.h"
#include "platform/gui/QtText.h"

namespace kelvaro::platform {

namespace {

std::vector<WindowWidget*>& LiveWindows() {
  static std::vector<WindowWidget*> windows;
  return windows;
}

// The frame the window manager drew around the last window shown; the next window starts from it
// so that its outer size is right from its first show on.
QMargins gLastFrame;

Qt::WindowFlags FlagsFor(const WindowDefinition& definition) {
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (definition.minimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  if (definition.maximizeBox) flags |= Qt::WindowMaximizeButtonHint;
  return flags;
}

}  // namespace

WindowWidget::WindowWidget(const WindowDefinition& definition, QWidget* owner)
    : QWidget(owner, FlagsFor(definition)),
      definition_(definition),
      tray_(std::make_unique<TrayRecord>()) {
  LiveWindows().push_back(this);
  setObjectName(ToQString(definition_.name));
  setWindowTitle(ToQString(definition_.caption));
  // Closing destroys the window; whether the program goes on is the program's business.
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_QuitOnClose, false);
  // The background is the system's button-face colour.
  QPalette background = palette();
  background.setColor(QPalette::Window, background.color(QPalette::Button));
  setPalette(background);
  setAutoFillBackground(true);

  if (definition_.dragByBody) drag_ = std::make_unique<BodyDrag>(*this);
  controls_.reserve(definition_.controls.size());
  for (const ControlDefinition& control : definition_.controls) {
    QWidget* widget = MakeControlWidget(control, *this);
    controls_.push_back(Control{&control, widget, control.text});
    if (drag_ && control.kind == ControlKind::Label) drag_->WatchLabel(*widget);
    if (control.kind == ControlKind::PushButton) {
      QObject::connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                       [this, &control] {
                         // The handler may destroy the window: call a copy of it.
                         const WindowHandler handler = control.onClicked;
                         if (handler) handler(handle_);
                       });
    }
  }
  const QSize outer(definition_.outerSize.width, definition_.outerSize.height);
  setFixedSize(outer.shrunkBy(gLastFrame));
  PlaceOnScreen();
}

WindowWidget::~WindowWidget() {
  std::erase(LiveWindows(), this);
  tray_->icon.reset();
}

const std::vector<WindowWidget*>& WindowWidget::Live() {
  return LiveWindows();
}

WindowWidget::Control* WindowWidget::FindControl(std::string_view name) {
  for (Control& control : controls_) {
    if (control.definition->name.bytes() == name) return &control;
  }
  return nullptr;
}

const WindowWidget::Control* WindowWidget::FindControl(std::string_view name) const {
  return const_cast<WindowWidget*>(this)->FindControl(name);
}

void WindowWidget::PlaceOnScreen() {
  QPoint topLeft(definition_.designPosition.x, definition_.designPosition.y);
  if (definition_.centred) {
    // The whole screen, not its work area; the outer frame is what is centred.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
      const QRect area = screen->geometry();
      topLeft = QPoint(area.x() + (area.width() - definition_.outerSize.width) / 2,
                       area.y() + (area.height() - definition_.outerSize.height) / 2);
    }
  }
  // For a top-level widget this places the frame's top left corner.
  move(topLeft);
}

bool WindowWidget::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
      KeepOuterSize();
      break;
    default:
      break;
  }
  return handled;
}

// The definition gives the outer size, frame included, but the toolkit sizes the client area and
// learns the frame only once the window manager has drawn it. Whenever the frame is known, the
// client area is made the outer size less the frame; the frame's top left corner stays put.
void WindowWidget::KeepOuterSize() {
  if (!isWindow() || !isVisible()) return;
  const QRect frame = frameGeometry();
  const QRect client = geometry();
  const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                         frame.right() - client.right(), frame.bottom() - client.bottom());
  if (margins.left() < 0 || margins.top() < 0 || margins.right() < 0 || margins.bottom() < 0) {
    return;
  }
  const QSize outer(definition_.outerSize.width, definition_.outerSize.height);
  const QSize wanted = outer.shrunkBy(margins);
  if (wanted.isEmpty() || wanted == size()) return;
  gLastFrame = margins;
  setFixedSize(wanted);
}

}  // namespace kelvaro::platform
