// HttpClient's construction, clone and destruction, its hold on the request object, and
// LastError.
#include <gtest/gtest.h>

#include <string>

#include "http/HttpClient.h"
#include "http/LastErrorText.h"
#include "http/tests/RecordingRequest.h"
#include "platform/automation/Automation.h"
#include "text/CodePage.h"

namespace kelvaro {
namespace {

using platform::CallOutcome;
using platform::InitCall;
using testing::RecordingRequest;

constexpr const char* kRequestProgId = "WinHttp.WinHttpRequest.5.1";

// Registers the recording object as the request class for the life of the test.
class RecordingRequestClass {
 public:
  explicit RecordingRequestClass(platform::ClassOptions options = {}) {
    platform::RegisterClass(
        kRequestProgId, [] { return std::make_shared<RecordingRequest>(); }, options);
  }
  ~RecordingRequestClass() { platform::UnregisterClass(kRequestProgId); }
  RecordingRequestClass(const RecordingRequestClass&) = delete;
  RecordingRequestClass& operator=(const RecordingRequestClass&) = delete;
};

TEST(HttpClientLifecycleTest, ConstructionInitialisesComCreatesTheObjectAndSetsDefaults) {
  RecordingRequestClass recording;
  platform::ClearInitJournal();
  const int comBefore = platform::ComInitCount();
  {
    HttpClient client;
    EXPECT_EQ(platform::ComInitCount(), comBefore + 1);
    EXPECT_NE(client.GetObject().As<RecordingRequest>(), nullptr);
    const HttpClientRecord& r = client.record();
    EXPECT_EQ(r.defaultsEnabled, 1);
    EXPECT_EQ(r.refererSet + r.acceptSet + r.acceptLanguageSet + r.userAgentSet + r.isPost +
                  r.contentTypeSet,
              0);
    EXPECT_EQ(r.referer, Text());
    EXPECT_EQ(r.accept.bytes(), "*/*");
    EXPECT_EQ(r.acceptLanguage.bytes(), "zh-cn");
    EXPECT_EQ(r.userAgent.bytes(), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
    EXPECT_EQ(r.contentType.bytes(), "application/x-www-form-urlencoded");
  }
  EXPECT_EQ(platform::ComInitCount(), comBefore);
  EXPECT_EQ(platform::InitJournal(),
            (std::vector<InitCall>{InitCall::CoInitialize, InitCall::CoUninitialize}));
}

TEST(HttpClientLifecycleTest, TheObjectIsCreatedThroughTheFallbackContexts) {
  RecordingRequestClass recording({.servedIn = platform::ServerContext::InProcessServer,
                                   .refusesAllContexts = true});
  HttpClient client;
  EXPECT_FALSE(client.IsObjectEmpty());
}

TEST(HttpClientLifecycleTest, WithoutTheClassTheClientStaysUsableAndEmpty) {
  platform::UnregisterClass(kRequestProgId);
  HttpClient client;
  EXPECT_TRUE(client.IsObjectEmpty());
  Text url = "h.test";
  client.Open(std::nullopt, url);
  client.Send();
  EXPECT_EQ(url.bytes(), "http://h.test");
  EXPECT_EQ(client.Status(), 0);
  EXPECT_EQ(platform::LastCallOutcome(), CallOutcome::NoObject);
  EXPECT_FALSE(client.CreateObject());

  RecordingRequestClass recording;
  EXPECT_TRUE(client.CreateObject()) << "creation may be retried";
  EXPECT_FALSE(client.IsObjectEmpty());
}

TEST(HttpClientLifecycleTest, ObjectHoldingOperations) {
  RecordingRequestClass recording;
  HttpClient client;
  const platform::ObjectRef first = client.GetObject();
  EXPECT_EQ(first.ShareCount(), 2) << "the client's share and ours";

  EXPECT_TRUE(client.CreateObject());
  EXPECT_EQ(client.GetObject(), first) << "an object already held is kept";

  client.SetObject(client.GetObject());
  EXPECT_EQ(client.GetObject(), first) << "handing back its own object keeps it";

  client.RecreateObject();
  EXPECT_NE(client.GetObject(), first);
  EXPECT_EQ(first.ShareCount(), 1) << "the client gave its share of the old object up";

  client.ClearObject();
  EXPECT_TRUE(client.IsObjectEmpty());
  EXPECT_TRUE(client.GetObject().IsEmpty());
}

TEST(HttpClientLifecycleTest, CloneSharesTheObjectCopiesFieldsAndLeavesComBalanced) {
  RecordingRequestClass recording;
  const int comBefore = platform::ComInitCount();
  auto original = std::make_unique<HttpClient>();
  original->SetUserAgent(Text("Kelvaro/1"));
  original->SetDefaultsEnabled(false);

  std::unique_ptr<HttpClient> clone = original->Clone();
  EXPECT_EQ(platform::ComInitCount(), comBefore + 1) << "a clone begins no COM initialisation";
  EXPECT_EQ(clone->GetObject(), original->GetObject());
  EXPECT_EQ(clone->record().userAgent.bytes(), "Kelvaro/1");
  EXPECT_EQ(clone->record().userAgentSet, 1);
  EXPECT_EQ(clone->record().defaultsEnabled, 0);

  clone->SetUserAgent(Text("changed"));
  EXPECT_EQ(original->record().userAgent.bytes(), "Kelvaro/1") << "texts are copies";

  clone.reset();
  EXPECT_EQ(platform::ComInitCount(), comBefore + 1) << "and so ends none";
  EXPECT_FALSE(original->IsObjectEmpty());
  original.reset();
  EXPECT_EQ(platform::ComInitCount(), comBefore);
}

TEST(LastErrorTextTest, EveryOutcomeHasItsText) {
  const struct {
    CallOutcome outcome;
    const char* utf8;
  } cases[] = {
      {CallOutcome::Success, ""},
      {CallOutcome::NoObject, "对象为空"},
      {CallOutcome::NoDispatch, "指定对象没有调用接口"},
      {CallOutcome::NameNotFound, "未找到指定属性或方法"},
      {CallOutcome::NoTypeInfo, "指定对象没有类型信息"},
      {CallOutcome::TooManyArguments, "提供了过多的参数"},
      {CallOutcome::BadArgumentKind, "参数数据类型错误"},
      {CallOutcome::ResultNotConvertible, "执行成功，但返回值类型不匹配"},
      {CallOutcome::BadParamCount, "参数数目错误"},
      {CallOutcome::BadVarType, "参数类型值无效"},
      {CallOutcome::Exception, "发现异常"},
      {CallOutcome::MemberNotFound, "未找到指定成员"},
      {CallOutcome::NoNamedArgs, "不支持命名参数"},
      {CallOutcome::Overflow, "溢出"},
      {CallOutcome::ParamNotFound, "未找到指定参数"},
      {CallOutcome::TypeMismatch, "类型不匹配"},
      {CallOutcome::ParamNotOptional, "必需的参数数据被省略"},
      {CallOutcome::Other, "其他原因调用失败"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(LastErrorText(c.outcome), FromUtf8(c.utf8));
  }
}

TEST(HttpClientLastErrorTest, ReportsTheCallingThreadsMostRecentCall) {
  HttpClient client;
  auto [recorder, reference] = RecordingRequest::Make();
  client.SetObject(reference);

  recorder->Fail("Abort", 12019);
  client.Abort();
  EXPECT_EQ(client.LastError(), FromUtf8("发现异常"));

  client.StatusText();
  EXPECT_EQ(client.LastError(), Text()) << "a success clears it";

  platform::CallMethod(client.GetObject(), "NoSuchMember");
  EXPECT_EQ(client.LastError(), FromUtf8("未找到指定属性或方法"));

  client.ClearObject();
  EXPECT_EQ(client.LastError(), FromUtf8("未找到指定属性或方法"))
      << "clearing the reference leaves the outcome";
  client.Status();
  EXPECT_EQ(client.LastError(), FromUtf8("对象为空"));

  client.SetObject(reference);
  client.Option(4, std::nullopt, std::nullopt, Bytes{1});
  EXPECT_EQ(client.LastError(), Text()) << "after a refused write, the read-back's outcome";
}

}  // namespace
}  // namespace kelvaro
