#include "platform/gui/GuiToolkit.h"

#include <QApplication>

namespace kelvaro::platform {

namespace {
// The toolkit keeps references to these for its whole life.
int gArgumentCount = 1;
char gProgramName[] = "kelvaro";
char* gArguments[] = {gProgramName, nullptr};
}  // namespace

struct GuiToolkit::State {
  QApplication application{gArgumentCount, gArguments};
};

GuiToolkit::GuiToolkit() : state_(std::make_unique<State>()) {
  QApplication::setQuitOnLastWindowClosed(false);
}

GuiToolkit::~GuiToolkit() = default;

}  // namespace kelvaro::platform
