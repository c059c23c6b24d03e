#include "platform/gui/ControlWidgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <limits>

#include "platform/gui/QtText.h"

namespace kelvaro::platform {

namespace {

QColor ToQColor(Colour colour) {
  return QColor(colour.red, colour.green, colour.blue);
}

Qt::Alignment LabelAlignment(const ControlDefinition& control) {
  Qt::Alignment alignment;
  switch (control.alignment) {
    case HorizontalAlignment::Left:
      alignment = Qt::AlignLeft;
      break;
    case HorizontalAlignment::Centre:
      alignment = Qt::AlignHCenter;
      break;
    case HorizontalAlignment::Right:
      alignment = Qt::AlignRight;
      break;
  }
  // A wrapping label lays its lines out from its top.
  if (control.wordWrap || control.verticalAlignment == VerticalAlignment::Top) {
    return alignment | Qt::AlignTop;
  }
  return alignment | Qt::AlignVCenter;
}

void ApplyFont(QWidget& widget, const ControlDefinition& control) {
  if (!control.font) return;  // the toolkit's default GUI font
  QFont font = widget.font();
  font.setPixelSize(control.font->pixelHeight);
  font.setWeight(static_cast<QFont::Weight>(control.font->weight));
  font.setItalic(control.font->italic);
  font.setUnderline(control.font->underline);
  font.setStrikeOut(control.font->strikeOut);
  widget.setFont(font);
}

void ApplyColours(QWidget& widget, const ControlDefinition& control, QPalette::ColorRole textRole,
                  QPalette::ColorRole backgroundRole) {
  QPalette palette = widget.palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, textRole, ToQColor(control.textColour));
    if (control.background) palette.setColor(group, backgroundRole, ToQColor(*control.background));
  }
  widget.setPalette(palette);
}

QLabel* MakeLabel(const ControlDefinition& control, QWidget& parent) {
  auto* label = new QLabel(&parent);
  label->setTextFormat(Qt::PlainText);
  label->setFrameShape(QFrame::NoFrame);
  label->setWordWrap(control.wordWrap);
  label->setAlignment(LabelAlignment(control));
  label->setContentsMargins(0, 0, 0, 0);
  label->setMargin(0);
  label->setIndent(0);
  label->setFocusPolicy(Qt::NoFocus);
  label->setAutoFillBackground(control.background.has_value());
  ApplyColours(*label, control, QPalette::WindowText, QPalette::Window);
  return label;
}

QLineEdit* MakeEditBox(const ControlDefinition& control, QWidget& parent) {
  auto* edit = new QLineEdit(&parent);
  edit->setFrame(true);
  edit->setMaxLength(std::numeric_limits<int>::max());
  edit->setEchoMode(QLineEdit::Normal);
  edit->setReadOnly(false);
  edit->setFocusPolicy(Qt::StrongFocus);
  ApplyColours(*edit, control, QPalette::Text, QPalette::Base);
  return edit;
}

QPushButton* MakePushButton(const ControlDefinition& control, QWidget& parent) {
  auto* button = new QPushButton(&parent);
  // An ordinary push button: Enter elsewhere in the window never presses it.
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  ApplyColours(*button, control, QPalette::ButtonText, QPalette::Button);
  return button;
}

}  // namespace

QWidget* MakeControlWidget(const ControlDefinition& control, QWidget& parent) {
  QWidget* widget = nullptr;
  switch (control.kind) {
    case ControlKind::Label:
      widget = MakeLabel(control, parent);
      break;
    case ControlKind::EditBox:
      widget = MakeEditBox(control, parent);
      break;
    case ControlKind::PushButton:
      widget = MakePushButton(control, parent);
      break;
  }
  widget->setObjectName(ToQString(control.name));
  ApplyFont(*widget, control);
  widget->setGeometry(control.place.x, control.place.y, control.size.width, control.size.height);
  SetControlWidgetText(*widget, control, control.text);
  return widget;
}

void SetControlWidgetText(QWidget& widget, const ControlDefinition& control, const Text& text) {
  switch (control.kind) {
    case ControlKind::Label:
      static_cast<QLabel&>(widget).setText(LabelDisplayText(text, control.wordWrap));
      break;
    case ControlKind::EditBox:
      static_cast<QLineEdit&>(widget).setText(ToQString(text));
      break;
    case ControlKind::PushButton:
      static_cast<QPushButton&>(widget).setText(ToQString(text));
      break;
  }
}

}  // namespace kelvaro::platform
