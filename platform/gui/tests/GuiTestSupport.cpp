#include "platform/gui/tests/GuiTestSupport.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "platform/gui/QtText.h"
#include "platform/gui/Window.h"
#include "text/CodePage.h"

namespace kelvaro::testing {

QWidget* FindWindow(const QString& objectName) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == objectName) return widget;
  }
  return nullptr;
}

std::string Utf8(const Text& text) {
  return ToUtf8(text);
}

QString ToQ(const Text& text) {
  return platform::ToQString(text);
}

void TypeText(QWidget* target, const QString& text) {
  // QTest::keyClicks gives up on characters outside Latin-1; key events carry any text.
  for (const QChar character : text) {
    QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, QString(character), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, QString(character),
                        Qt::NoModifier);
  }
}

void SendLeftMouse(QWidget* target, QEvent::Type type, QPoint position) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  const Qt::MouseButtons held =
      type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(Qt::LeftButton);
  QMouseEvent event(type, QPointF(position), QPointF(target->mapToGlobal(position)), button, held,
                    Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

void WithPopupMenu(std::function<void(QMenu&)> action) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr || !menu->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    action(*menu);
  });
  poll->start(1);
}

void ForgetQuit() {
  // The application's own loop clears the quit state when it starts and when it ends.
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
}

void DestroyAllWindows() {
  platform::DestroyOwnerWindow();
  QList<QPointer<QWidget>> windows;
  for (QWidget* widget : QApplication::topLevelWidgets()) windows.append(widget);
  for (const QPointer<QWidget>& window : windows) delete window.data();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
}

}  // namespace kelvaro::testing
