// Helpers for the application's tests: a request object that records what the program asks of
// it, a log of events in the order they happened, and a watcher that answers popup menus.
#pragma once

#include <QMenu>
#include <QObject>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/Automation.h"

namespace kelvaro::testing {

// Events in order: the recording request's calls, its release, window destruction...
std::vector<std::string>& EventLog();

// Stands in for the HTTP request object. Each call is logged as "Name(arg,arg)" followed by
// " while hidden" or " while shown" (the state of MainWindow at that moment); its destruction is
// logged as "request released".
class RecordingRequest final : public platform::AutomationObject {
 public:
  ~RecordingRequest() override;
  std::span<const platform::Member> Members() const override;
  platform::Variant Invoke(const platform::Member& member,
                           const platform::Arguments& arguments) override;
};

// Registers RecordingRequest under the request object's ProgID for its lifetime.
class RecordingRequestClass {
 public:
  RecordingRequestClass();
  ~RecordingRequestClass();
  RecordingRequestClass(const RecordingRequestClass&) = delete;
  RecordingRequestClass& operator=(const RecordingRequestClass&) = delete;
};

// Watches for popup menus while it exists. Each popup's item texts (UTF-8) and geometry are kept;
// then the popup is answered with the next planned answer: the text of the item to click
// (UTF-8), or "" to dismiss it with Escape. Without a planned answer the popup is dismissed.
class PopupWatcher final : public QObject {
 public:
  PopupWatcher();
  ~PopupWatcher() override;

  void Plan(std::vector<std::string> answers) { answers_ = std::move(answers); }
  struct Popup {
    std::vector<std::string> items;
    QRect geometry;
  };
  const std::vector<Popup>& popups() const { return popups_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<std::string> answers_;
  std::vector<Popup> popups_;
};

}  // namespace kelvaro::testing
