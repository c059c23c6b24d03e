// The program as a user meets it, off screen: MainWindow made from its definition with its
// creation handler (the priming request), SharedClient with the real request and stream objects,
// and a scripted lookup service on loopback reached through http_proxy, as the program reaches
// the real one. Tests type into 编辑框1, click 按钮1 and read 标签3.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <string>

#include "tests/robustness/ScriptedLookupService.h"
#include "text/Text.h"

namespace kelvaro::robustness {

class ProgramFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Replaces the whole text of 编辑框1, as a paste over a selected text does.
  void SetNumber(const QString& text);
  // Clears 编辑框1 and types `text` into it key by key.
  void TypeNumber(const QString& text);
  // What the program reads from 编辑框1 (code page 936).
  Text NumberText() const;

  // Clicks 按钮1 (the query runs inside the click) and returns 标签3's text as the program set it,
  // in UTF-8.
  std::string ClickQuery();
  // 标签3's text as the program set it, in UTF-8.
  std::string LabelText() const;

  // The good answers again, and one query: 标签3 must show the good line, and the window works.
  void ExpectGoodQueryStillWorks();

  // Points the program's http_proxy somewhere else (read again at every request).
  static void SetProxy(const std::string& url);

  ScriptedLookupService service_;
  QWidget* window_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QPushButton* button_ = nullptr;
  QLabel* label_ = nullptr;
};

}  // namespace kelvaro::robustness
