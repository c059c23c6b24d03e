// Creation of automation objects by ProgID: a process-wide registry of classes
// (ProgID -> class id -> factory) and the creation sequence built on it.
//
// The sequence the system uses, one step per function:
//   ClassIdFromProgId  - resolve the ProgID (matched without regard to ASCII letter case)
//   CreateInstance     - make an object of the class in the requested server contexts
//   RunObject          - put the object into its running state
// CreateObjectByProgId runs the whole sequence, including the fallback to the explicit contexts.
//
// Creation requires COM on the calling thread: CreateInstance (and so CreateObjectByProgId)
// fails with NotInitialized unless CoInitialize or OleInitialize (ComInit.h) is in effect on the
// thread. Resolving a ProgID does not need it.
// RunObject treats an exception thrown by AutomationObject::Run as a refusal (RunFailed).
//
// Nothing here changes the per-thread call outcome (CallOutcome.h).
// Every function is safe to call from any thread; factories run outside the registry's lock, so a
// factory may itself use the registry.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/automation/ObjectRef.h"

namespace kelvaro::platform {

class AutomationObject;

// Opaque identity of a registered class; a fresh one for every registration, never 0.
struct ClassId {
  std::uint64_t value = 0;
  friend bool operator==(const ClassId&, const ClassId&) = default;
};

// Server contexts, combinable with |.
enum class ServerContext : std::uint32_t {
  InProcessServer = 1,
  InProcessHandler = 2,
  LocalServer = 4,
  RemoteServer = 16,
  // Every context; the platform's usual request.
  All = InProcessServer | InProcessHandler | LocalServer | RemoteServer,
  // The three contexts the system falls back to when All is refused as an invalid argument.
  Fallback = InProcessServer | InProcessHandler | LocalServer,
};
constexpr ServerContext operator|(ServerContext a, ServerContext b) {
  return static_cast<ServerContext>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}

enum class CreationStatus {
  Ok,
  NotInitialized,      // COM is not initialised on the calling thread
  ClassNotRegistered,  // unknown ProgID or class id
  InvalidArgument,     // the class refuses the requested contexts as an invalid argument
  NoServerInContext,   // the class is not served in any of the requested contexts
  FactoryFailed,       // the factory gave no object (returned null or threw)
  RunFailed,           // the object refused to run (AutomationObject::Run returned false)
};

struct ClassOptions {
  // The contexts the class is served in; a request sharing none of them fails NoServerInContext.
  ServerContext servedIn = ServerContext::InProcessServer;
  // When true, a request for exactly ServerContext::All fails with InvalidArgument (as some
  // installations answer), so that the fallback to ServerContext::Fallback is taken.
  bool refusesAllContexts = false;
};

// Makes a new object; may return null or throw to fail the creation.
using ClassFactory = std::function<std::shared_ptr<AutomationObject>()>;

// Registers a class under `progId`, replacing any class registered under the same ProgID (in any
// letter case). Returns the new class id. An empty ProgID or a null factory registers nothing and
// returns the id 0.
ClassId RegisterClass(std::string_view progId, ClassFactory factory, ClassOptions options = {});

// Removes the class registered under `progId`; true when there was one. Objects already made stay
// alive. Meant for tests.
bool UnregisterClass(std::string_view progId);

// The class id registered under `progId`, or std::nullopt when none is.
std::optional<ClassId> ClassIdFromProgId(std::string_view progId);

// Makes an object of class `classId` in `contexts`. On Ok `object` holds the new object (not yet
// running); on failure `object` is left unchanged. Checks, in order: NotInitialized,
// ClassNotRegistered, InvalidArgument, NoServerInContext, FactoryFailed.
CreationStatus CreateInstance(ClassId classId, ServerContext contexts, ObjectRef& object);

// Puts the object into its running state: Ok, RunFailed when the object refuses, InvalidArgument
// for an empty reference.
CreationStatus RunObject(const ObjectRef& object);

// The whole sequence: resolve `progId`; create in ServerContext::All, and on InvalidArgument again
// in ServerContext::Fallback; run. Returns the running object, or an empty reference on any
// failure (a half-made object is released). `status`, when given, receives the outcome
// (ClassNotRegistered for an unknown ProgID).
ObjectRef CreateObjectByProgId(std::string_view progId, CreationStatus* status = nullptr);

}  // namespace kelvaro::platform
