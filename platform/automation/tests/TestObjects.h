// Small automation objects for the layer's own tests.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <span>
#include <thread>

#include "platform/automation/Automation.h"

namespace kelvaro::platform::testing {

// An object with one member of each shape the call boundary must handle:
//   Echo(Variant) As Variant, EchoText(String) As String, EchoInt(Int32) As Int32,
//   EchoDouble(Double) As Double, EchoBool(Bool) As Bool,
//   Add(Int32, Optional Int32, Optional String) As Int32   (adds the two numbers; 1 if omitted)
//   Raise(Int32 code)       - raises that error number with description u"raised <code>"
//   RaiseOutcome(Int32)     - fails with the CallOutcome of that number
//   Throw()                 - throws a std::runtime_error
//   ReturnBytes() As Bytes  - {1, 2, 0, 3}
//   ReturnChild() As Object - a second Probe, made once and kept
//   Lie() As Int32          - returns bytes although it declares Int32
//   DropHolder()            - clears the reference `holder` points to (then returns)
//   CallChildBadly()        - makes a failing call on its child, then succeeds itself
//   Value (Int32, read/write), Label (String, read only),
//   Option(Int32 index) (Variant, read/write, indexed)
struct ProbeOptions {
  bool offersDispatch = true;
  bool offersTypeInfo = true;
  bool runs = true;  // what Run() answers
};

class Probe : public AutomationObject {
 public:
  using Options = ProbeOptions;

  explicit Probe(Options options = {}) : options_(options) {}
  ~Probe() override;

  std::span<const Member> Members() const override;
  Variant Invoke(const Member& member, const Arguments& arguments) override;
  bool OffersDispatch() const override { return options_.offersDispatch; }
  bool OffersTypeInfo() const override { return options_.offersTypeInfo; }
  bool Run() override;

  // What the tests look at.
  int invocations = 0;
  int runs = 0;
  Arguments lastArguments;
  std::int32_t value = 0;
  std::u16string label = u"probe";
  Variant option6;
  ObjectRef* holder = nullptr;
  std::function<void()> onDestroy;

 private:
  Options options_;
  ObjectRef child_;
};

// Runs `body` on a new thread and waits for it; the thread starts with no COM initialisation, an
// empty init journal and a Success outcome.
inline void OnFreshThread(const std::function<void()>& body) {
  std::thread(body).join();
}

}  // namespace kelvaro::platform::testing
