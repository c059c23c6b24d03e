#include "app/tests/AppTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QTest>

#include "platform/gui/tests/GuiTestSupport.h"
#include "text/CodePage.h"

namespace kelvaro::testing {

using platform::Member;
using platform::MemberKind;
using platform::ValueKind;
using platform::Variant;

namespace {
constexpr std::string_view kRequestProgId = "WinHttp.WinHttpRequest.5.1";

std::string Describe(const Variant& value) {
  if (const auto* text = value.IfString()) return ToUtf8(FromUtf16(*text));
  if (const auto* flag = value.IfBool()) return *flag ? "true" : "false";
  if (const auto* number = value.IfInt32()) return std::to_string(*number);
  return "?";
}
}  // namespace

std::vector<std::string>& EventLog() {
  static std::vector<std::string> log;
  return log;
}

RecordingRequest::~RecordingRequest() {
  EventLog().push_back("request released");
}

std::span<const Member> RecordingRequest::Members() const {
  using K = ValueKind;
  static const std::vector<Member> members = {
      {"Open", MemberKind::Method, {{K::String}, {K::String}, {K::Variant, true}}, K::Void},
      {"SetRequestHeader", MemberKind::Method, {{K::String}, {K::String}}, K::Void},
      {"Send", MemberKind::Method, {{K::Variant, true}}, K::Void},
  };
  return members;
}

Variant RecordingRequest::Invoke(const Member& member, const platform::Arguments& arguments) {
  std::string call = member.name + "(";
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) call += ",";
    call += arguments.Given(i) ? Describe(arguments.Value(i)) : "-";
  }
  const QWidget* window = FindWindow(QStringLiteral("MainWindow"));
  call += window != nullptr && window->isVisible() ? ") while shown" : ") while hidden";
  EventLog().push_back(call);
  return Variant();
}

RecordingRequestClass::RecordingRequestClass() {
  platform::RegisterClass(kRequestProgId, [] { return std::make_shared<RecordingRequest>(); });
}

RecordingRequestClass::~RecordingRequestClass() {
  platform::UnregisterClass(kRequestProgId);
}

PopupWatcher::PopupWatcher() {
  qApp->installEventFilter(this);
}

PopupWatcher::~PopupWatcher() {
  qApp->removeEventFilter(this);
}

bool PopupWatcher::eventFilter(QObject* watched, QEvent* event) {
  auto* menu = qobject_cast<QMenu*>(watched);
  if (menu == nullptr || event->type() != QEvent::Show) return false;
  Popup popup;
  for (const QAction* action : menu->actions()) popup.items.push_back(action->text().toStdString());
  popup.geometry = menu->geometry();
  popups_.push_back(popup);
  std::string answer;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.erase(answers_.begin());
  }
  // Answer from inside the popup's own event loop, as a person would once it is on screen.
  QMetaObject::invokeMethod(
      menu,
      [menu, answer] {
        for (QAction* action : menu->actions()) {
          if (!answer.empty() && action->text().toStdString() == answer) {
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            return;
          }
        }
        QTest::keyClick(menu, Qt::Key_Escape);
      },
      Qt::QueuedConnection);
  return false;
}

}  // namespace kelvaro::testing
