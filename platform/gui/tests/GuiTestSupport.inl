#pragma once

#include "platform/gui/QtText.h"

namespace kelvaro::testing {

template <typename T>
T* FindControl(QWidget* window, const Text& name) {
  if (window == nullptr) return nullptr;
  return window->findChild<T*>(platform::ToQString(name));
}

}  // namespace kelvaro::testing
