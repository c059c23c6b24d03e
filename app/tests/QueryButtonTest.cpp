// The query button end to end inside one process, off screen: MainWindow with the real request
// and stream objects, the demo lookup service on loopback, reached through http_proxy as the
// program reaches it.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "app/MainWindow.h"
#include "app/SharedClient.h"
#include "platform/PlatformClasses.h"
#include "platform/gui/QtText.h"
#include "platform/gui/tests/GuiTestSupport.h"
#include "tools/demo-lookup-service/DemoHttpServer.h"

namespace kelvaro {
namespace {

using testing::FindControl;
using testing::FindWindow;
using testing::Utf8;

// The demo lookup service on a free loopback port, serving on its own thread until Stop.
class DemoServiceOnLoopback {
 public:
  DemoServiceOnLoopback() : log_(std::tmpfile()), requestLog_(log_), server_(service_, requestLog_) {
    port_ = server_.Bind("127.0.0.1", 0);
    serving_ = std::thread([this] { server_.Serve(); });
  }
  ~DemoServiceOnLoopback() {
    Stop();
    std::fclose(log_);
  }
  DemoServiceOnLoopback(const DemoServiceOnLoopback&) = delete;
  DemoServiceOnLoopback& operator=(const DemoServiceOnLoopback&) = delete;

  int port() const { return port_; }
  void Stop() {
    server_.Stop();
    if (serving_.joinable()) serving_.join();
  }

 private:
  const demo::DemoService service_;
  std::FILE* log_;
  demo::RequestLog requestLog_;
  demo::DemoHttpServer server_;
  int port_ = -1;
  std::thread serving_;
};

class QueryButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GT(service_.port(), 0);
    const std::string proxy = "http://127.0.0.1:" + std::to_string(service_.port());
    ::setenv("http_proxy", proxy.c_str(), 1);
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
  }
  void TearDown() override {
    testing::DestroyAllWindows();
    DestroySharedClient();
    ::unsetenv("http_proxy");
  }

  // Types the number into 编辑框1, clicks 按钮1 and returns what 标签3 shows (UTF-8).
  std::string Query(const QString& number) {
    edit_->clear();
    QTest::keyClicks(edit_, number);
    QTest::mouseClick(button_, Qt::LeftButton);
    return Utf8(platform::FromQString(label_->text()));
  }

  DemoServiceOnLoopback service_;
  QWidget* window_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QPushButton* button_ = nullptr;
  QLabel* label_ = nullptr;
};

TEST_F(QueryButtonTest, TheLabelShowsTheServicesAnswer) {
  const struct {
    const char* number;
    const char* line;
  } cases[] = {
      {"13800138000", "查询成功 中国移动；手机号归属地：北京北京！ 余额：246.67"},
      {"18912345678", "查询成功 中国电信；手机号归属地：江苏常州！ 余额：66.71"},
      {"13012345678", "查询成功 中国联通；手机号归属地：重庆重庆！ 余额："},
      {"12345", "号码格式错误，请输入11位手机号码手机号归属地：！ 余额："},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    EXPECT_EQ(Query(c.number), c.line);
  }
}

TEST_F(QueryButtonTest, WithTheServiceStoppedTheLabelShowsOnlyTheFixedTexts) {
  ASSERT_EQ(Query("13800138000"), "查询成功 中国移动；手机号归属地：北京北京！ 余额：246.67");
  service_.Stop();
  EXPECT_EQ(Query("13800138000"), "手机号归属地：！ 余额：") << "nothing of the earlier answer";
}

}  // namespace
}  // namespace kelvaro
