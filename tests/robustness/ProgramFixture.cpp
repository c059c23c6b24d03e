#include "tests/robustness/ProgramFixture.h"

#include <QTest>
#include <cstdlib>

#include "app/MainWindow.h"
#include "app/SharedClient.h"
#include "platform/PlatformClasses.h"
#include "platform/gui/Window.h"
#include "platform/gui/WindowWidget.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace kelvaro::robustness {

using kelvaro::testing::FindControl;
using kelvaro::testing::FindWindow;
using kelvaro::testing::Utf8;

void ProgramFixture::SetUp() {
  SetProxy(service_.ProxyUrl());
  ::unsetenv("no_proxy");
  ::unsetenv("NO_PROXY");
  platform::RegisterPlatformClasses();
  platform::CreateOwnerWindow();
  CreateSharedClient();
  ASSERT_TRUE(platform::LoadWindow(MainWindowDefinition(), false));
  window_ = FindWindow("MainWindow");
  ASSERT_NE(window_, nullptr);
  edit_ = FindControl<QLineEdit>(window_, Text(kEditBox1));
  button_ = FindControl<QPushButton>(window_, Text(kButton1));
  label_ = FindControl<QLabel>(window_, Text(kLabel3));
  ASSERT_TRUE(edit_ && button_ && label_);
  // The priming request went out while the window was made.
  ASSERT_EQ(service_.Heads(RequestKind::Priming).size(), 1U);
  service_.ForgetHeads();
}

void ProgramFixture::TearDown() {
  kelvaro::testing::DestroyAllWindows();
  DestroySharedClient();
  ::unsetenv("http_proxy");
}

void ProgramFixture::SetProxy(const std::string& url) {
  ::setenv("http_proxy", url.c_str(), 1);
}

void ProgramFixture::SetNumber(const QString& text) {
  edit_->selectAll();
  edit_->setText(text);
}

void ProgramFixture::TypeNumber(const QString& text) {
  edit_->clear();
  edit_->setFocus();
  kelvaro::testing::TypeText(edit_, text);
}

Text ProgramFixture::NumberText() const {
  return static_cast<platform::WindowWidget*>(window_)->handle().ControlText(kEditBox1);
}

std::string ProgramFixture::ClickQuery() {
  QTest::mouseClick(button_, Qt::LeftButton);
  return LabelText();
}

std::string ProgramFixture::LabelText() const {
  return Utf8(static_cast<platform::WindowWidget*>(window_)->handle().ControlText(kLabel3));
}

void ProgramFixture::ExpectGoodQueryStillWorks() {
  service_.ScriptGoodAnswers();
  SetNumber("13800138000");
  EXPECT_EQ(ClickQuery(), kGoodLine) << "the query after the hostile one";
}

}  // namespace kelvaro::robustness
