#include "app/SharedClient.h"

#include <memory>

namespace kelvaro {

namespace {
std::unique_ptr<HttpClient>& Instance() {
  static std::unique_ptr<HttpClient> instance;
  return instance;
}
}  // namespace

void CreateSharedClient() {
  if (!Instance()) Instance() = std::make_unique<HttpClient>();
}

void DestroySharedClient() {
  Instance().reset();
}

bool SharedClientExists() {
  return Instance() != nullptr;
}

HttpClient& SharedClient() {
  return *Instance();
}

}  // namespace kelvaro
