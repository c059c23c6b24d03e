#include "platform/automation/ClassRegistry.h"

#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/automation/AutomationObject.h"
#include "platform/automation/ComInit.h"

namespace kelvaro::platform {
namespace {

struct RegisteredClass {
  ClassId id;
  ClassFactory factory;
  ClassOptions options;
};

// ProgIDs are kept folded to ASCII lower case, so lookups ignore letter case.
class Registry {
 public:
  ClassId Add(std::string_view progId, ClassFactory factory, ClassOptions options) {
    const std::lock_guard lock(mutex_);
    const ClassId id{++lastId_};
    classes_[Fold(progId)] = RegisteredClass{id, std::move(factory), options};
    return id;
  }

  bool Remove(std::string_view progId) {
    const std::lock_guard lock(mutex_);
    return classes_.erase(Fold(progId)) > 0;
  }

  std::optional<ClassId> Find(std::string_view progId) const {
    const std::lock_guard lock(mutex_);
    const auto found = classes_.find(Fold(progId));
    if (found == classes_.end()) return std::nullopt;
    return found->second.id;
  }

  // A copy, so that the factory runs outside the lock.
  std::optional<RegisteredClass> Find(ClassId id) const {
    const std::lock_guard lock(mutex_);
    for (const auto& [progId, registered] : classes_) {
      if (registered.id == id) return registered;
    }
    return std::nullopt;
  }

 private:
  static std::string Fold(std::string_view progId) {
    std::string folded(progId);
    for (char& c : folded) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
  }

  mutable std::mutex mutex_;
  std::uint64_t lastId_ = 0;
  std::unordered_map<std::string, RegisteredClass> classes_;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

bool Shares(ServerContext a, ServerContext b) {
  return (static_cast<std::uint32_t>(a) & static_cast<std::uint32_t>(b)) != 0;
}

}  // namespace

ClassId RegisterClass(std::string_view progId, ClassFactory factory, ClassOptions options) {
  if (progId.empty() || !factory) return ClassId{};
  return TheRegistry().Add(progId, std::move(factory), options);
}

bool UnregisterClass(std::string_view progId) {
  return TheRegistry().Remove(progId);
}

std::optional<ClassId> ClassIdFromProgId(std::string_view progId) {
  return TheRegistry().Find(progId);
}

CreationStatus CreateInstance(ClassId classId, ServerContext contexts, ObjectRef& object) {
  if (!IsComInitialized()) return CreationStatus::NotInitialized;
  const std::optional<RegisteredClass> registered = TheRegistry().Find(classId);
  if (!registered) return CreationStatus::ClassNotRegistered;
  if (registered->options.refusesAllContexts && contexts == ServerContext::All) {
    return CreationStatus::InvalidArgument;
  }
  if (!Shares(contexts, registered->options.servedIn)) return CreationStatus::NoServerInContext;
  std::shared_ptr<AutomationObject> made;
  try {
    made = registered->factory();
  } catch (...) {
    return CreationStatus::FactoryFailed;
  }
  if (!made) return CreationStatus::FactoryFailed;
  object = ObjectRef(std::move(made));
  return CreationStatus::Ok;
}

CreationStatus RunObject(const ObjectRef& object) {
  if (object.IsEmpty()) return CreationStatus::InvalidArgument;
  try {
    return object.get()->Run() ? CreationStatus::Ok : CreationStatus::RunFailed;
  } catch (...) {
    return CreationStatus::RunFailed;
  }
}

ObjectRef CreateObjectByProgId(std::string_view progId, CreationStatus* status) {
  CreationStatus outcome = CreationStatus::ClassNotRegistered;
  ObjectRef object;
  if (const std::optional<ClassId> classId = ClassIdFromProgId(progId)) {
    outcome = CreateInstance(*classId, ServerContext::All, object);
    if (outcome == CreationStatus::InvalidArgument) {
      outcome = CreateInstance(*classId, ServerContext::Fallback, object);
    }
    if (outcome == CreationStatus::Ok) {
      outcome = RunObject(object);
      if (outcome != CreationStatus::Ok) object.Clear();  // release the half-made object
    }
  }
  if (status != nullptr) *status = outcome;
  return object;
}

}  // namespace kelvaro::platform
