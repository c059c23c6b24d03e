#include "platform/gui/Window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <vector>

#include "platform/gui/QtText.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace kelvaro::platform {
namespace {

using testing::DestroyAllWindows;
using testing::FindControl;
using testing::FindWindow;
using testing::SendLeftMouse;

constexpr Size kOuter{300, 200};

WindowDefinition Sample() {
  WindowDefinition window;
  window.name = "Sample";
  window.caption = "Sample \xB4\xB0\xBF\xDA";  // "Sample 窗口"
  window.outerSize = kOuter;
  window.designPosition = {50, 50};
  ControlDefinition label;
  label.name = "Label";
  label.kind = ControlKind::Label;
  label.place = {10, 10};
  label.size = {100, 40};
  label.text = "a\r\nb & c";
  label.wordWrap = true;
  ControlDefinition edit;
  edit.name = "Edit";
  edit.kind = ControlKind::EditBox;
  edit.place = {10, 60};
  edit.size = {120, 30};
  edit.background = kWhite;
  ControlDefinition button;
  button.name = "Button";
  button.kind = ControlKind::PushButton;
  button.place = {140, 60};
  button.size = {80, 30};
  button.text = "Go";
  window.controls = {label, edit, button};
  return window;
}

class WindowTest : public ::testing::Test {
 protected:
  void TearDown() override { DestroyAllWindows(); }

  // Opens `definition` without waiting and gives the window.
  Window& Open(const WindowDefinition& definition) {
    Window* opened = nullptr;
    WindowDefinition withHandler = definition;
    withHandler.onCreated = [&opened, inner = definition.onCreated](Window& window) {
      opened = &window;
      if (inner) inner(window);
    };
    EXPECT_TRUE(LoadWindow(withHandler, false));
    return *opened;
  }
};

TEST_F(WindowTest, ControlsTakeTheirPlacesNamesAndTexts) {
  Window& window = Open(Sample());
  QWidget* widget = FindWindow("Sample");
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(FromQString(widget->windowTitle()), Text("Sample \xB4\xB0\xBF\xDA"));
  auto* label = FindControl<QLabel>(widget, "Label");
  auto* edit = FindControl<QLineEdit>(widget, "Edit");
  auto* button = FindControl<QPushButton>(widget, "Button");
  ASSERT_NE(label, nullptr);
  ASSERT_NE(edit, nullptr);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(label->geometry(), QRect(10, 10, 100, 40));
  EXPECT_EQ(edit->geometry(), QRect(10, 60, 120, 30));
  EXPECT_EQ(button->geometry(), QRect(140, 60, 80, 30));
  // CR LF starts a new line; "&" is no mnemonic marker.
  EXPECT_EQ(label->text(), QStringLiteral("a\nb & c"));
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
  EXPECT_EQ(window.ControlText("Label"), Text("a\r\nb & c"));
  EXPECT_EQ(button->text(), QStringLiteral("Go"));
  EXPECT_FALSE(button->autoDefault());
  EXPECT_TRUE(window.IsVisible());
}

TEST_F(WindowTest, CentredOnTheWholeScreenByItsOuterSizeElseAtItsDesignPosition) {
  Open(Sample());
  QWidget* centred = FindWindow("Sample");
  ASSERT_NE(centred, nullptr);
  EXPECT_EQ(centred->frameGeometry(), QRect((1024 - 300) / 2, (768 - 200) / 2, 300, 200));
  DestroyAllWindows();

  WindowDefinition placed = Sample();
  placed.centred = false;
  Open(placed);
  EXPECT_EQ(FindWindow("Sample")->frameGeometry(), QRect(50, 50, 300, 200));
}

TEST_F(WindowTest, ControlTextsCrossTheCodePageBoundary) {
  Window& window = Open(Sample());
  auto* edit = FindControl<QLineEdit>(FindWindow("Sample"), "Edit");
  ASSERT_NE(edit, nullptr);
  edit->setFocus();
  // "中文", then a character code page 936 lacks.
  testing::TypeText(edit, QString::fromUtf8("\xE4\xB8\xAD\xE6\x96\x87") + QChar(0x0E01));
  EXPECT_EQ(window.ControlText("Edit"), Text("\xD6\xD0\xCE\xC4?"));

  EXPECT_TRUE(window.SetControlText("Edit", "\xB9\xFA"));  // "国"
  EXPECT_EQ(edit->text(), QString::fromUtf8("\xE5\x9B\xBD"));
  EXPECT_TRUE(window.SetControlText("Label", "x\r\ny"));
  EXPECT_EQ(FindControl<QLabel>(FindWindow("Sample"), "Label")->text(), QStringLiteral("x\ny"));

  EXPECT_FALSE(window.SetControlText("Nowhere", "x"));
  EXPECT_EQ(window.ControlText("Nowhere"), Text());
}

TEST_F(WindowTest, SingleLineLabelDropsLineBreaks) {
  WindowDefinition definition = Sample();
  definition.controls[0].wordWrap = false;
  definition.controls[0].verticalAlignment = VerticalAlignment::Centre;
  Open(definition);
  auto* label = FindControl<QLabel>(FindWindow("Sample"), "Label");
  EXPECT_EQ(label->text(), QStringLiteral("ab & c"));
  EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
}

// A label draws only the start of a text far longer than it can show, so that laying it out
// costs neither seconds nor gigabytes; the control keeps the whole text.
TEST_F(WindowTest, LabelDrawsOnlyTheStartOfAHugeText) {
  Window& window = Open(Sample());
  auto* label = FindControl<QLabel>(FindWindow("Sample"), "Label");
  struct Case {
    const char* name;
    Text text;
  };
  // "中" repeated, and an odd start so that the cut falls inside a two-byte character.
  std::string chinese;
  for (int i = 0; i < 500000; ++i) chinese += "\xD6\xD0";
  const Case cases[] = {
      {"ascii", Text(std::string(1000000, 'a'))},
      {"two-byte characters", Text(chinese)},
      {"two-byte characters after one byte", Text("x" + chinese)},
      {"line breaks", Text(std::string(1000000, '\n'))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(window.SetControlText("Label", c.text));
    EXPECT_EQ(window.ControlText("Label"), c.text);
    const QString shown = label->text();
    EXPECT_EQ(shown.size(), kLabelDisplayLimit);
    EXPECT_FALSE(shown.contains(QChar(0xFFFD))) << "no character cut in half";
    EXPECT_EQ(shown, LabelDisplayText(c.text, true));
  }
  // Up to the limit, everything is drawn.
  const Text exact(std::string(static_cast<std::size_t>(kLabelDisplayLimit), 'e'));
  ASSERT_TRUE(window.SetControlText("Label", exact));
  EXPECT_EQ(label->text(), QString(kLabelDisplayLimit, QLatin1Char('e')));
}

TEST_F(WindowTest, DraggingTheBackgroundOrALabelMovesTheWindowOtherControlsDoNot) {
  Open(Sample());
  QWidget* window = FindWindow("Sample");
  const QPoint start = window->pos();
  struct Case {
    const char* name;
    QWidget* target;
    QPoint press;
    bool moves;
  };
  const Case cases[] = {
      {"label", FindControl(window, "Label"), {5, 5}, true},
      {"background", window, {250, 150}, true},
      {"edit box", FindControl(window, "Edit"), {5, 5}, false},
      {"button", FindControl(window, "Button"), {5, 5}, false},
  };
  QPoint expected = start;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(c.target, nullptr);
    SendLeftMouse(c.target, QEvent::MouseButtonPress, c.press);
    // Two steps of (7, 3) on screen: the target moves along with a moving window, so the same
    // point in it lies one more step away each time.
    SendLeftMouse(c.target, QEvent::MouseMove, c.press + QPoint(7, 3));
    SendLeftMouse(c.target, QEvent::MouseMove, c.press + QPoint(7, 3));
    SendLeftMouse(c.target, QEvent::MouseButtonRelease, c.press);
    if (c.moves) expected += QPoint(14, 6);
    EXPECT_EQ(window->pos(), expected);
  }
}

TEST_F(WindowTest, ShowBringsBackAHiddenOrMinimisedWindow) {
  Window& window = Open(Sample());
  QWidget* widget = FindWindow("Sample");
  window.Hide();
  EXPECT_FALSE(window.IsVisible());
  window.Show();
  EXPECT_TRUE(window.IsVisible());
  window.Show();  // already visible: stays so
  EXPECT_TRUE(window.IsVisible());
  widget->showMinimized();
  window.Show();
  EXPECT_TRUE(window.IsVisible());
  EXPECT_FALSE(widget->windowState() & Qt::WindowMinimized);
}

TEST_F(WindowTest, ModalLoadRunsTheCreationHandlerBeforeShowingAndWaitsUntilDestroyed) {
  WindowDefinition definition = Sample();
  std::vector<std::string> events;
  definition.onCreated = [&events](Window& window) {
    events.push_back(window.IsVisible() ? "created while visible" : "created while hidden");
    QTimer::singleShot(0, [&events] {
      QWidget* widget = FindWindow("Sample");
      events.push_back(widget && widget->isVisible() ? "shown" : "not shown");
      widget->close();
    });
  };
  EXPECT_TRUE(LoadWindow(definition, true));
  events.push_back("returned");
  EXPECT_EQ(events, (std::vector<std::string>{"created while hidden", "shown", "returned"}));
  EXPECT_EQ(LiveWindowCount(), 0);
}

TEST_F(WindowTest, ModalWaitEndsOnQuit) {
  WindowDefinition definition = Sample();
  definition.onCreated = [](Window&) { QTimer::singleShot(0, [] { QuitEventLoops(); }); };
  EXPECT_TRUE(LoadWindow(definition, true));
  EXPECT_EQ(LiveWindowCount(), 1);  // the window still exists; only the wait ended
  testing::ForgetQuit();
}

TEST_F(WindowTest, DestroyingTheOwnerWindowDestroysTheWindowsItOwns) {
  CreateOwnerWindow();
  EXPECT_TRUE(OwnerWindowExists());
  Open(Sample());
  EXPECT_EQ(LiveWindowCount(), 1);
  EXPECT_FALSE(FindWindow("InvisibleOwner")->isVisible());
  DestroyOwnerWindow();
  EXPECT_FALSE(OwnerWindowExists());
  EXPECT_EQ(LiveWindowCount(), 0);
  EXPECT_EQ(FindWindow("Sample"), nullptr);
  DestroyOwnerWindow();  // nothing left: no effect
}

TEST_F(WindowTest, MessageLoopRunsOnlyWhileWindowsExist) {
  RunMessageLoopWhileWindowsExist();  // none: returns at once
  Window& window = Open(Sample());
  QTimer::singleShot(0, [&window] { window.Close(); });
  RunMessageLoopWhileWindowsExist();
  EXPECT_EQ(LiveWindowCount(), 0);
}

TEST_F(WindowTest, ProcessEventsRunsWhatIsQueuedAndReturns) {
  int ran = 0;
  QMetaObject::invokeMethod(
      qApp, [&ran] { ++ran; }, Qt::QueuedConnection);
  QMetaObject::invokeMethod(
      qApp, [&ran] { ++ran; }, Qt::QueuedConnection);
  ProcessEvents();
  EXPECT_EQ(ran, 2);
  ProcessEvents();  // nothing queued: returns
  EXPECT_EQ(ran, 2);
}

}  // namespace
}  // namespace kelvaro::platform
