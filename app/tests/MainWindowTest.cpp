#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <algorithm>
#include <limits>

#include "app/SharedClient.h"
#include "app/tests/AppTestSupport.h"
#include "lookup/LookupProtocol.h"
#include "platform/gui/QtText.h"
#include "platform/gui/Tray.h"
#include "platform/gui/WindowWidget.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace kelvaro {
namespace {

using platform::FromQString;
using testing::FindControl;
using testing::FindWindow;
using testing::PopupWatcher;
using testing::Utf8;

// MainWindow opened as start-up opens it, but without waiting, on a 1024 x 768 screen.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EventLog().clear();
    platform::CreateOwnerWindow();
    CreateSharedClient();
    platform::WindowDefinition definition = MainWindowDefinition();
    definition.onCreated = [this](platform::Window& window) {
      window_ = &window;
      OnMainWindowCreated(window);
    };
    ASSERT_TRUE(platform::LoadWindow(definition, false));
    widget_ = FindWindow("MainWindow");
    ASSERT_NE(widget_, nullptr);
  }
  void TearDown() override {
    testing::DestroyAllWindows();
    DestroySharedClient();
  }

  testing::RecordingRequestClass requestClass_;
  platform::Window* window_ = nullptr;
  QWidget* widget_ = nullptr;
};

TEST_F(MainWindowTest, WindowIsCentredFixedAndNamed) {
  EXPECT_EQ(FromQString(widget_->windowTitle()), Text("Kelvaro\xA1\xAAOrvelle"));
  EXPECT_EQ(widget_->frameGeometry(), QRect((1024 - 338) / 2, (768 - 216) / 2, 338, 216));
  EXPECT_EQ(widget_->minimumSize(), widget_->maximumSize());  // not resizable
  const Qt::WindowFlags flags = widget_->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(widget_->parentWidget(), FindWindow("InvisibleOwner"));
  EXPECT_EQ(widget_->palette().color(QPalette::Window),
            QApplication::palette().color(QPalette::Button));
  EXPECT_TRUE(widget_->isVisible());
}

TEST_F(MainWindowTest, ControlsHaveTheirPlacesTextsFontsColoursAndAlignment) {
  const QFont defaultFont = QApplication::font();
  struct Case {
    std::string_view name;
    QRect geometry;
    Text text;
    QColor textColour;
    Qt::Alignment alignment;  // labels
    bool wordWrap;            // labels
  };
  const Case labels[] = {
      {kLabel2,
       {10, 19, 49, 24},
       " \xCA\xD6\xBB\xFA\xBA\xC5\xA3\xBA",
       Qt::black,
       Qt::AlignLeft | Qt::AlignVCenter,
       false},
      {kLabel3,
       {24, 64, 288, 55},
       "\r\n\xB2\xE9\xD1\xAF\xBD\xE1\xB9\xFB",
       Qt::black,
       Qt::AlignHCenter | Qt::AlignTop,
       true},
      {kLabel1,
       {16, 131, 320, 30},
       "\xC4\xBF\xC7\xB0\xBB\xB0\xB7\xD1\xB2\xE9\xD1\xAF\xD6\xBB\xD6\xA7\xB3\xD6\xB5\xE7\xD0\xC5"
       " \xD2\xC6\xB6\xAF\xA3\xAC\xC1\xAA\xCD\xA8\xD3\xC3\xBB\xA7\xB2\xBB\xCF\xD4\xCA\xBE\xD3\xE0"
       "\xB6\xEE\xA3\xBB\r\n\xB2\xE9\xD1\xAF\xB5\xC4\xCA\xB1\xBA\xF2\xBF\xC9\xC4\xDC\xD2\xF2\xCD"
       "\xF8\xC2\xE7\xD1\xD3\xB3\xD9\xA3\xAC\xC7\xEB\xB5\xC8\xB5\xBD"
       "3-5\xC3\xEB\xD6\xD3",
       QColor(255, 0, 0),
       Qt::AlignLeft | Qt::AlignTop,
       true},
  };
  for (const Case& c : labels) {
    SCOPED_TRACE(Utf8(Text(c.name)));
    auto* label = FindControl<QLabel>(widget_, Text(c.name));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->geometry(), c.geometry);
    EXPECT_EQ(window_->ControlText(c.name), c.text);
    EXPECT_EQ(label->text(), platform::LabelDisplayText(c.text, c.wordWrap));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), c.textColour);
    EXPECT_EQ(label->alignment(), c.alignment);
    EXPECT_EQ(label->wordWrap(), c.wordWrap);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);  // "&" shows as itself
    EXPECT_EQ(label->frameShape(), QFrame::NoFrame);
    EXPECT_FALSE(label->autoFillBackground());  // the window's button-face background
    if (c.name == kLabel3) {
      EXPECT_EQ(label->font().pixelSize(), 16);
      EXPECT_EQ(label->font().weight(), QFont::Weight(400));
      EXPECT_FALSE(label->font().italic());
      EXPECT_FALSE(label->font().underline());
      EXPECT_FALSE(label->font().strikeOut());
      EXPECT_EQ(label->font().family(), defaultFont.family());  // no face named
    } else {
      EXPECT_EQ(label->font(), defaultFont);
    }
  }
  // "查询结果" sits on the second line of 标签3.
  EXPECT_TRUE(FindControl<QLabel>(widget_, Text(kLabel3))->text().startsWith(QLatin1Char('\n')));

  auto* edit = FindControl<QLineEdit>(widget_, Text(kEditBox1));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->geometry(), QRect(62, 16, 160, 32));
  EXPECT_TRUE(edit->text().isEmpty());
  EXPECT_TRUE(edit->hasFrame());
  EXPECT_EQ(edit->maxLength(), std::numeric_limits<int>::max());
  EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
  EXPECT_FALSE(edit->isReadOnly());
  EXPECT_TRUE(edit->focusPolicy() & Qt::TabFocus);
  EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(Qt::black));
  EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(Qt::white));
  EXPECT_EQ(edit->font(), defaultFont);

  auto* button = FindControl<QPushButton>(widget_, Text(kButton1));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->geometry(), QRect(229, 16, 80, 32));
  EXPECT_EQ(FromQString(button->text()), Text("\xB2\xE9\xD1\xAF"));
  EXPECT_FALSE(button->autoDefault());
  EXPECT_FALSE(button->isDefault());
  EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus);
  EXPECT_EQ(button->font(), defaultFont);
}

TEST_F(MainWindowTest, ButtonClickIsBoundToTheQueryHandler) {
  const auto& controls = MainWindowDefinition().controls;
  const auto button = std::find_if(controls.begin(), controls.end(),
                                   [](const auto& c) { return c.name == Text(kButton1); });
  ASSERT_NE(button, controls.end());
  using Handler = void (*)(platform::Window&);
  const Handler* bound = button->onClicked.target<Handler>();
  ASSERT_NE(bound, nullptr);
  EXPECT_EQ(*bound, &OnQueryButtonClicked);
}

TEST_F(MainWindowTest, CreationSetsTheIconsAndTheTrayIcon) {
  EXPECT_FALSE(widget_->windowIcon().isNull());
  EXPECT_TRUE(widget_->windowIcon().availableSizes().contains(QSize(128, 128)));
  const platform::TrayIconState tray = platform::TrayIconOf(*window_);
  EXPECT_TRUE(tray.installed);
  EXPECT_EQ(tray.tooltip, Text("Kelvaro"));
  EXPECT_EQ(tray.iconWidth, 128);
  EXPECT_EQ(tray.iconHeight, 128);
}

TEST_F(MainWindowTest, EscapeDoesNotCloseAndEnterInTheEditBoxDoesNotPressTheButton) {
  auto* edit = FindControl<QLineEdit>(widget_, Text(kEditBox1));
  auto* button = FindControl<QPushButton>(widget_, Text(kButton1));
  int pressed = 0;
  QObject::connect(button, &QPushButton::pressed, [&pressed] { ++pressed; });
  QObject::connect(button, &QPushButton::clicked, [&pressed] { ++pressed; });
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Return);
  QTest::keyClick(edit, Qt::Key_Enter);
  EXPECT_EQ(pressed, 0);
  EXPECT_EQ(widget_->focusWidget(), edit);  // Enter does not move the focus either
  QTest::keyClick(widget_, Qt::Key_Escape);
  QTest::keyClick(edit, Qt::Key_Escape);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  platform::ProcessEvents();
  ASSERT_EQ(FindWindow("MainWindow"), widget_);
  EXPECT_TRUE(widget_->isVisible());
}

TEST_F(MainWindowTest, EveryTrayActionHidesOnlyARightClickPopsUpTheMenu) {
  struct Case {
    int action;
    std::size_t popups;
  };
  for (const Case c : {Case{1, 0}, Case{2, 0}, Case{3, 1}}) {
    SCOPED_TRACE(c.action);
    window_->Show();
    PopupWatcher watcher;  // dismisses any popup
    OnTrayEvent(*window_, c.action);
    EXPECT_FALSE(widget_->isVisible());
    ASSERT_EQ(watcher.popups().size(), c.popups);
    if (c.popups > 0) {
      // "显示", "关闭"
      EXPECT_EQ(watcher.popups()[0].items,
                (std::vector<std::string>{"\xE6\x98\xBE\xE7\xA4\xBA", "\xE5\x85\xB3\xE9\x97\xAD"}));
    }
    EXPECT_FALSE(widget_->isVisible());  // a dismissed menu leaves the window hidden
  }
}

TEST_F(MainWindowTest, TrayIconActivationsReachTheTrayHandler) {
  QSystemTrayIcon* tray = window_->widget().tray().icon.get();
  ASSERT_NE(tray, nullptr);
  PopupWatcher watcher;
  emit tray->activated(QSystemTrayIcon::Trigger);
  EXPECT_FALSE(widget_->isVisible());
  window_->Show();
  emit tray->activated(QSystemTrayIcon::Context);
  EXPECT_FALSE(widget_->isVisible());
  EXPECT_EQ(watcher.popups().size(), 1u);
}

TEST_F(MainWindowTest, ShowItemShowsTheWindowAgain) {
  PopupWatcher watcher;
  watcher.Plan({"\xE6\x98\xBE\xE7\xA4\xBA"});  // "显示"
  OnTrayEvent(*window_, platform::TrayAction::RightClick);
  EXPECT_TRUE(widget_->isVisible());
  // On a window that is already visible it leaves it visible.
  OnShowItemSelected(*window_);
  EXPECT_TRUE(widget_->isVisible());
}

TEST_F(MainWindowTest, CreationSendsThePrimingRequestOnceBeforeTheWindowIsShown) {
  std::vector<std::string> opens;
  std::vector<std::string> sends;
  for (const std::string& event : testing::EventLog()) {
    if (event.starts_with("Open(")) opens.push_back(event);
    if (event.starts_with("Send(")) sends.push_back(event);
  }
  EXPECT_EQ(opens,
            (std::vector<std::string>{"Open(GET," + Utf8(PrimingUrl()) + ",false) while hidden"}));
  EXPECT_EQ(sends, (std::vector<std::string>{"Send(-) while hidden"}));
}

}  // namespace
}  // namespace kelvaro
