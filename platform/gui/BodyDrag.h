// Moving a window by pressing the left mouse button on its body: on its own background (the
// press is still handled as usual) or on one of its labels (the press goes no further). Other
// controls keep their presses to themselves.
//
// The move is handed to the window manager, as a press on the caption bar would be. Without a
// window manager that takes it, the window follows the mouse itself until the button is released.
#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

namespace kelvaro::platform {

class BodyDrag final : public QObject {
 public:
  explicit BodyDrag(QWidget& window);
  // Presses on `label` move the window and are consumed.
  void WatchLabel(QWidget& label);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void StartMove(const QPoint& globalPosition);

  QWidget& window_;
  bool followingMouse_ = false;
  QPoint pressedAt_;
  QPoint windowAtPress_;
};

}  // namespace kelvaro::platform
