// A stand-in request object for tests: it publishes the request object's members with their
// documented parameter kinds, records every call it receives in a readable form, and answers reads
// as scripted.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/Automation.h"

namespace kelvaro::testing {

class RecordingRequest final : public platform::AutomationObject {
 public:
  std::span<const platform::Member> Members() const override;
  platform::Variant Invoke(const platform::Member& member,
                           const platform::Arguments& arguments) override;

  // Calls as "Name(arg,arg)" for methods, "get Name(index)" and "put Name(index,value)" for
  // properties. Strings appear as UTF-8, numbers in decimal with their kind ("i:0", "d:1.5"),
  // booleans as true/false, byte arrays as "bytes[n]", an omitted argument as "-".
  const std::vector<std::string>& calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  // What reading a property or calling a method of that name returns (Empty when not scripted).
  void Script(const std::string& member, platform::Variant result) {
    scripted_[member] = std::move(result);
  }
  // Makes every call of that member raise the error number given.
  void Fail(const std::string& member, std::int32_t code) { failing_[member] = code; }

  // A fresh object and a reference holding it.
  static std::pair<std::shared_ptr<RecordingRequest>, platform::ObjectRef> Make();

 private:
  std::vector<std::string> calls_;
  std::map<std::string, platform::Variant> scripted_;
  std::map<std::string, std::int32_t> failing_;
};

// Describes one value as RecordingRequest::calls() does.
std::string Describe(const platform::Variant& value);

}  // namespace kelvaro::testing
