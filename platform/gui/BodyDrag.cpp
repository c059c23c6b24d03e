#include "platform/gui/BodyDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace kelvaro::platform {

BodyDrag::BodyDrag(QWidget& window) : window_(window) {
  window_.installEventFilter(this);
}

void BodyDrag::WatchLabel(QWidget& label) {
  label.installEventFilter(this);
}

void BodyDrag::StartMove(const QPoint& globalPosition) {
  QWindow* handle = window_.windowHandle();
  if (handle && handle->startSystemMove()) return;
  followingMouse_ = true;
  pressedAt_ = globalPosition;
  windowAtPress_ = window_.pos();
}

bool BodyDrag::eventFilter(QObject* watched, QEvent* event) {
  const bool onLabel = watched != &window_;
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* press = static_cast<QMouseEvent*>(event);
      if (press->button() != Qt::LeftButton) return false;
      // A press that reached the window from a child the child did not want is no body press.
      if (!onLabel && window_.childAt(press->position().toPoint()) != nullptr) return false;
      StartMove(press->globalPosition().toPoint());
      return onLabel;
    }
    case QEvent::MouseMove: {
      if (!followingMouse_) return false;
      auto* move = static_cast<QMouseEvent*>(event);
      if (!(move->buttons() & Qt::LeftButton)) {
        followingMouse_ = false;
        return false;
      }
      window_.move(windowAtPress_ + (move->globalPosition().toPoint() - pressedAt_));
      return onLabel;
    }
    case QEvent::MouseButtonRelease: {
      if (!followingMouse_) return false;
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) followingMouse_ = false;
      return onLabel;
    }
    default:
      return false;
  }
}

}  // namespace kelvaro::platform
