// The GUI toolkit's lifetime for the process: construct one GuiToolkit on the GUI thread before
// any window exists and keep it until every window is gone.
//
// The program takes no command-line arguments, so none reach the toolkit. The toolkit never ends
// the program by itself when its last window closes: the program decides when it ends.
#pragma once

#include <memory>

namespace kelvaro::platform {

class GuiToolkit {
 public:
  GuiToolkit();
  ~GuiToolkit();
  GuiToolkit(const GuiToolkit&) = delete;
  GuiToolkit& operator=(const GuiToolkit&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace kelvaro::platform
