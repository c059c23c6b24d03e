#include "platform/gui/Tray.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTest>
#include <string>
#include <vector>

#include "platform/gui/TrayActivation.h"
#include "platform/gui/WindowWidget.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "platform/gui/tests/IcoBuilder.h"
#include "text/TextOps.h"

namespace kelvaro::platform {
namespace {

using testing::DestroyAllWindows;
using testing::FindWindow;
using testing::WithPopupMenu;

testing::Bytes IconOfWidth(int width) {
  testing::BitmapPlan plan;
  plan.width = width;
  plan.height = width;
  return testing::MakeIco({testing::IcoImage{width, width, 0, 32, testing::MakeDib(plan)}});
}

class TrayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WindowDefinition definition;
    definition.name = "TrayOwner";
    definition.outerSize = {200, 100};
    definition.onCreated = [this](Window& window) { window_ = &window; };
    definition.onTrayEvent = [this](Window&, int action) { actions_.push_back(action); };
    MenuDefinition menu;
    menu.name = "\xB2\xCB\xB5\xA5";  // "菜单"
    menu.text = menu.name;
    for (const char* name : {"First", "Disabled", "Last"}) {
      MenuItemDefinition item;
      item.name = name;
      item.text = name;
      item.enabled = std::string(name) != "Disabled";
      item.onSelected = [this, name](Window&) {
        // The popup is gone by the time an item's handler runs.
        chosen_.push_back(std::string(name) +
                          (QApplication::activePopupWidget() ? " (popup open)" : ""));
      };
      menu.items.push_back(item);
    }
    definition.menu = menu;
    ASSERT_TRUE(LoadWindow(definition, false));
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override { DestroyAllWindows(); }

  QSystemTrayIcon* InstalledIcon() { return window_->widget().tray().icon.get(); }

  Window* window_ = nullptr;
  std::vector<int> actions_;
  std::vector<std::string> chosen_;
};

TEST(TrayActionFor, MapsActivationsToTrayActions) {
  EXPECT_EQ(TrayActionFor(QSystemTrayIcon::Trigger), TrayAction::LeftClick);
  EXPECT_EQ(TrayActionFor(QSystemTrayIcon::DoubleClick), TrayAction::LeftDoubleClick);
  EXPECT_EQ(TrayActionFor(QSystemTrayIcon::Context), TrayAction::RightClick);
  EXPECT_EQ(TrayActionFor(QSystemTrayIcon::MiddleClick), std::nullopt);
  EXPECT_EQ(TrayActionFor(QSystemTrayIcon::Unknown), std::nullopt);
}

TEST_F(TrayTest, AddsModifiesAndRemovesTheIcon) {
  SetTrayIcon(*window_, IconOfWidth(16), "tip");
  TrayIconState state = TrayIconOf(*window_);
  EXPECT_TRUE(state.installed);
  EXPECT_EQ(state.tooltip, Text("tip"));
  EXPECT_EQ(state.iconWidth, 16);
  QSystemTrayIcon* installed = InstalledIcon();
  ASSERT_NE(installed, nullptr);
  EXPECT_EQ(installed->toolTip(), QStringLiteral("tip"));

  SetTrayIcon(*window_, IconOfWidth(48), "other");
  state = TrayIconOf(*window_);
  EXPECT_TRUE(state.installed);
  EXPECT_EQ(InstalledIcon(), installed);  // modified in place
  EXPECT_EQ(installed->toolTip(), QStringLiteral("other"));
  EXPECT_EQ(state.iconWidth, 48);

  SetTrayIcon(*window_, {}, "gone");
  state = TrayIconOf(*window_);
  EXPECT_FALSE(state.installed);
  EXPECT_EQ(InstalledIcon(), nullptr);
  EXPECT_EQ(state.iconWidth, 0);
}

TEST_F(TrayTest, NoIconMadeAddsNoTrayIcon) {
  const std::uint8_t broken[] = {0, 0, 1, 0, 1, 0};
  SetTrayIcon(*window_, broken, "tip");
  EXPECT_FALSE(TrayIconOf(*window_).installed);
  EXPECT_EQ(InstalledIcon(), nullptr);
}

TEST_F(TrayTest, TooltipKeepsAtMost62Bytes) {
  struct Case {
    const char* name;
    Text tooltip;
    Text stored;
  };
  const Text sixtyTwo(std::string(62, 'a'));
  const Case cases[] = {
      {"short", "Kelvaro", "Kelvaro"},
      {"exactly 62", sixtyTwo, sixtyTwo},
      {"63 cut to 62", Text(std::string(63, 'b')), Text(std::string(62, 'b'))},
      // A two-byte character across the limit loses its second byte, as bytes are counted.
      {"two-byte character at the limit", JoinTexts({Text(std::string(61, 'c')), "\xD6\xD0"}),
       JoinTexts({Text(std::string(61, 'c')), "\xD6"})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetTrayIcon(*window_, IconOfWidth(16), c.tooltip);
    EXPECT_EQ(TrayIconOf(*window_).tooltip, c.stored);
    EXPECT_EQ(InstalledIcon()->toolTip(), ToQString(c.stored));
  }
}

TEST_F(TrayTest, MouseActionsReachTheTrayHandler) {
  SetTrayIcon(*window_, IconOfWidth(16), "tip");
  for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick,
                            QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Context}) {
    emit InstalledIcon()->activated(reason);
  }
  EXPECT_EQ(actions_, (std::vector<int>{1, 2, 3}));
}

TEST_F(TrayTest, DestroyingTheWindowRemovesItsTrayIcon) {
  SetTrayIcon(*window_, IconOfWidth(16), "tip");
  QPointer<QSystemTrayIcon> icon = InstalledIcon();
  delete &window_->widget();
  EXPECT_TRUE(icon.isNull());
}

TEST_F(TrayTest, PopupSitsRightAlignedAtTheCursorAndRunsTheChoiceAfterClosing) {
  QCursor::setPos(600, 400);
  QRect shownAt;
  WithPopupMenu([&shownAt](QMenu& menu) {
    shownAt = menu.geometry();
    QAction* last = menu.actions().at(2);
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(last).center());
  });
  PopupTrayMenu(*window_, *window_->definition().menu);
  EXPECT_EQ(chosen_, (std::vector<std::string>{"Last"}));
  EXPECT_EQ(shownAt.right() + 1, 600 - 5);
  EXPECT_EQ(shownAt.top(), 400 - 5);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(TrayTest, PopupItemsInOrderAndDismissingChoosesNothing) {
  QStringList texts;
  std::vector<bool> enabled;
  WithPopupMenu([&](QMenu& menu) {
    for (QAction* action : menu.actions()) {
      texts << action->text();
      enabled.push_back(action->isEnabled());
    }
    // A click on the disabled item does nothing; Escape dismisses.
    QTest::mouseClick(&menu, Qt::LeftButton, {},
                      menu.actionGeometry(menu.actions().at(1)).center());
    QTest::keyClick(&menu, Qt::Key_Escape);
  });
  PopupTrayMenu(*window_, *window_->definition().menu);
  EXPECT_EQ(texts, (QStringList{"First", "Disabled", "Last"}));
  EXPECT_EQ(enabled, (std::vector<bool>{true, false, true}));
  EXPECT_TRUE(chosen_.empty());
}

}  // namespace
}  // namespace kelvaro::platform
