// Toolkit widgets for the controls of a window definition.
#pragma once

#include <QWidget>

#include "platform/gui/WindowDefinition.h"

namespace kelvaro::platform {

// A new widget for `control`, a child of `parent`, at its place and size, with its text, colours,
// font, alignment and wrapping; its object name is the control's name.
QWidget* MakeControlWidget(const ControlDefinition& control, QWidget& parent);

// Puts `text` into a widget made by MakeControlWidget for `control`.
void SetControlWidgetText(QWidget& widget, const ControlDefinition& control, const Text& text);

}  // namespace kelvaro::platform
