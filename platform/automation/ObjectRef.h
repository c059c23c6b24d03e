// ObjectRef: one share of an automation object.
//
// Invariants:
//  - An ObjectRef is either empty (holds nothing) or holds one share of exactly one object.
//  - Copying adds a share of the same object; moving hands the share over (the source becomes
//    empty); Clear() gives the share up. The object is destroyed when its last share goes.
//  - Two references are equal when they hold the same object (two empty references are equal).
//  - Creating, copying and clearing references never touch the per-thread call outcome
//    (CallOutcome.h).
//  - Shares may be copied and dropped on any thread, but the object itself is used from the
//    thread that created it.
#pragma once

#include <memory>
#include <utility>

namespace kelvaro::platform {

class AutomationObject;

class ObjectRef {
 public:
  ObjectRef() = default;
  // Takes one share of `object`; a null pointer gives the empty reference.
  explicit ObjectRef(std::shared_ptr<AutomationObject> object) : object_(std::move(object)) {}

  bool IsEmpty() const { return object_ == nullptr; }
  // Gives up this share; the reference is empty afterwards. No effect on an empty reference.
  void Clear() { object_.reset(); }

  // The object, or nullptr when empty. Valid while this reference holds its share.
  AutomationObject* get() const { return object_.get(); }
  // The object as its concrete class, or nullptr when empty or of another class.
  template <typename T>
  T* As() const {
    return dynamic_cast<T*>(object_.get());
  }
  // Number of shares of the held object (0 when empty); for tests and diagnostics.
  long ShareCount() const { return object_.use_count(); }

  friend bool operator==(const ObjectRef& a, const ObjectRef& b) {
    return a.object_.get() == b.object_.get();
  }

 private:
  std::shared_ptr<AutomationObject> object_;
};

}  // namespace kelvaro::platform
