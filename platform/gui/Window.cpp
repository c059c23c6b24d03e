#include "platform/gui/Window.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QIcon>
#include <QLineEdit>
#include <QPointer>
#include <vector>

#include "platform/gui/ControlWidgets.h"
#include "platform/gui/IconData.h"
#include "platform/gui/IconPixmap.h"
#include "platform/gui/QtText.h"
#include "platform/gui/SkipTaskbar.h"
#include "platform/gui/WindowWidget.h"

namespace kelvaro::platform {

namespace {

QPointer<QWidget>& OwnerWindow() {
  static QPointer<QWidget> owner;
  return owner;
}

}  // namespace

const WindowDefinition& Window::definition() const {
  return widget_.definition();
}

Text Window::ControlText(std::string_view controlName) const {
  const WindowWidget::Control* control = widget_.FindControl(controlName);
  if (control == nullptr) return Text();
  if (control->definition->kind == ControlKind::EditBox) {
    return FromQString(static_cast<const QLineEdit*>(control->widget)->text());
  }
  return control->text;
}

bool Window::SetControlText(std::string_view controlName, const Text& text) {
  WindowWidget::Control* control = widget_.FindControl(controlName);
  if (control == nullptr) return false;
  control->text = text;
  SetControlWidgetText(*control->widget, *control->definition, text);
  return true;
}

void Window::Show() {
  // A minimised window comes back only when the minimised state is cleared before it is shown.
  widget_.setWindowState(widget_.windowState() & ~Qt::WindowMinimized);
  if (!widget_.isVisible() && !definition().taskbarButton) MarkSkipTaskbar(widget_);
  widget_.show();
  widget_.raise();
  widget_.activateWindow();
}

void Window::Hide() {
  widget_.hide();
}

bool Window::IsVisible() const {
  return widget_.isVisible();
}

void Window::Close() {
  widget_.close();
}

void Window::SetIcons(std::span<const std::uint8_t> iconData) {
  QIcon icon;
  for (const int preferred : {32, 16}) {
    if (const auto image = MakeIcon(iconData, preferred)) icon.addPixmap(ToPixmap(*image));
  }
  if (!icon.isNull()) widget_.setWindowIcon(icon);
}

void CreateOwnerWindow() {
  QPointer<QWidget>& owner = OwnerWindow();
  if (owner) return;
  // A tool window that is never shown; windows it owns are destroyed with it.
  owner = new QWidget(nullptr, Qt::Tool);
  owner->setObjectName(QStringLiteral("InvisibleOwner"));
  owner->setAttribute(Qt::WA_QuitOnClose, false);
}

void DestroyOwnerWindow() {
  delete OwnerWindow().data();
}

bool OwnerWindowExists() {
  return !OwnerWindow().isNull();
}

bool LoadWindow(const WindowDefinition& definition, bool modal, Window* owner) {
  QWidget* ownerWidget = owner ? &owner->widget() : OwnerWindow().data();
  QPointer<WindowWidget> window = new WindowWidget(definition, ownerWidget);
  // The handler may destroy the window; use a copy that outlives it.
  if (const WindowHandler onCreated = definition.onCreated) onCreated(window->handle());
  if (window) window->handle().Show();
  if (!modal || !window) return true;
  QEventLoop wait;
  QObject::connect(window.data(), &QObject::destroyed, &wait, &QEventLoop::quit);
  wait.exec();
  return true;
}

void ProcessEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void RunMessageLoopWhileWindowsExist() {
  if (WindowWidget::LiveCount() == 0) return;
  QEventLoop loop;
  for (WindowWidget* window : WindowWidget::Live()) {
    QObject::connect(window, &QObject::destroyed, &loop, [&loop] {
      if (WindowWidget::LiveCount() == 0) loop.quit();
    });
  }
  loop.exec();
}

void QuitEventLoops() {
  QCoreApplication::exit(0);
}

int LiveWindowCount() {
  return WindowWidget::LiveCount();
}

}  // namespace kelvaro::platform
