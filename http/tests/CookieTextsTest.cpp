#include "http/CookieTexts.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvaro {
namespace {

// A response's header text, one header per line, each ending in CR LF.
const Text kHeaders =
    "Content-Type: text/html; charset=utf-8\r\n"
    "Set-Cookie: sid=ab12; path=/\r\n"
    "set-cookie: lang=zh; path=/\r\n"
    "Set-Cookie: old=deleted; path=/\r\n"
    "Set-Cookie:uid=77; HttpOnly\r\n"
    "Set-Cookie: tmp=1\r\n"
    "Cache-Control: no-cache\r\n";

TEST(CookieValueInTest, FindsTheFirstEntryOfAMatchingSetCookieLine) {
  const struct {
    Text name;
    Text value;
    const char* why;
  } cases[] = {
      {"sid", "ab12", "plain"},
      {"uid", "77", "found by the lookup without a space"},
      {"old", "deleted", "deletions are not filtered here"},
      {"lang", "", "header name in lower case does not match"},
      {"tmp", "", "no ; after it"},
      {"id", "", "only the longer name sid exists"},
      {"path", "", "an attribute, not an entry"},
      {"", "", "empty name"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(CookieValueIn(kHeaders, c.name), c.value);
  }
}

TEST(CookieValueInTest, EdgeCases) {
  EXPECT_EQ(CookieValueIn("", "sid"), "");
  EXPECT_EQ(CookieValueIn("Set-Cookie: a=; path=/\r\n", "a"), "") << "empty value";
  EXPECT_EQ(CookieValueIn("Set-Cookie: tmp=1\r\nContent-Type: text/html; charset=utf-8\r\n", "tmp"),
            "1\r\nContent-Type: text/html")
      << "a line without ; runs on to the next ;";
  EXPECT_EQ(CookieValueIn("Set-Cookie: a=1; x=2\r\nSet-Cookie: a=3;\r\n", "a"), "1")
      << "the first matching line wins";
}

TEST(CollectSetCookiesInTest, GathersFirstEntriesWithoutDeletions) {
  const struct {
    Text headers;
    Text expected;
    const char* why;
  } cases[] = {
      {kHeaders, "sid=ab12; lang=zh; uid=77", "the seven-line header text"},
      {"", "", "no headers"},
      {"Content-Type: text/html\r\n", "", "no Set-Cookie line"},
      {"Set-Cookie: a=1\r\nContent-Type: text/html; charset=utf-8\r\n",
       "a=1\r\nContent-Type: text/html", "runs on to a later ;"},
      {"Set-Cookie: a=DELETED; p\r\nSet-Cookie: b=Deleted;\r\nSet-Cookie: c=deleted;\r\n", "",
       "all three deletion spellings"},
      {"Set-Cookie: a=deLeted;\r\nSET-COOKIE:   b=2;\r\n", "a=deLeted; b=2",
       "other spellings are kept; leading spaces trimmed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(CollectSetCookiesIn(c.headers), c.expected);
  }
}

TEST(MergeCookieTextsTest, MergesAsTheTableSays) {
  const struct {
    Text oldCookies;
    Text newCookies;
    Text merged;
  } cases[] = {
      {"sid=ab12; lang=zh", "lang=en; theme=dark", "sid=ab12; lang=en; theme=dark;"},
      {"", "a=1", "a=1;"},
      {"a=1", "", "a=1;"},
      {"", "", ""},
      {"a=5; b=2", "a=7; b=6", "a=7; b=6;"},
      {"a=1; b=2", "b=deleted", "a=1;"},
      {"a=1; b=2", "b=", "a=1;"},
      {"a=1; b=2", "secure; c=3", "a=1; b=2; c=3;"},
      {"SID=1", "sid=2", "sid=2;"},
      {"xsid=1; sid=2", "sid=3", "xsid=3; sid=2;"},
      {"b=1; a=3", "a=9; b=2", "b=1; a=9; b=2;"},
      {"a=1;;b=2", "", "a=1; ; b=2;"},
      {"a=1; b= ; c=2", "", "a=1; b=; c=2;"},
      {"a=1; b=2", "=x", "=x; b=2;"},
      {"  a=1 ;\xA1\xA1", "\xA1\xA1 b=2  ", "a=1; b=2;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.oldCookies.bytes()) + " + " + std::string(c.newCookies.bytes()));
    Text oldCookies = c.oldCookies;
    Text newCookies = c.newCookies;
    EXPECT_EQ(MergeCookieTexts(oldCookies, newCookies), c.merged);
    EXPECT_EQ(oldCookies, c.merged) << "old receives the merged text";
  }
}

TEST(MergeCookieTextsTest, NewReceivesItsTrimmedFormWithSemicolon) {
  const struct {
    Text in;
    Text out;
  } cases[] = {{" a=1 ", "a=1;"}, {"a=1;", "a=1;"}, {"", ""}, {"  ", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in.bytes());
    Text oldCookies = "x=1";
    Text newCookies = c.in;
    MergeCookieTexts(oldCookies, newCookies);
    EXPECT_EQ(newCookies, c.out);
  }
}

}  // namespace
}  // namespace kelvaro
