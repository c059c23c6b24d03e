#include "app/MainWindow.h"

namespace kelvaro {

using platform::ControlDefinition;
using platform::ControlKind;
using platform::FontSetting;
using platform::HorizontalAlignment;
using platform::MenuDefinition;
using platform::MenuItemDefinition;
using platform::VerticalAlignment;
using platform::WindowDefinition;

namespace {

ControlDefinition Label2() {
  ControlDefinition label;
  label.name = Text(kLabel2);
  label.kind = ControlKind::Label;
  label.place = {10, 19};
  label.size = {49, 24};
  label.text = " \xCA\xD6\xBB\xFA\xBA\xC5\xA3\xBA";  // " 手机号：" (full-width colon)
  label.alignment = HorizontalAlignment::Left;
  label.verticalAlignment = VerticalAlignment::Centre;
  return label;
}

ControlDefinition EditBox1() {
  ControlDefinition edit;
  edit.name = Text(kEditBox1);
  edit.kind = ControlKind::EditBox;
  edit.place = {62, 16};
  edit.size = {160, 32};
  edit.background = platform::kWhite;
  return edit;
}

ControlDefinition Button1() {
  ControlDefinition button;
  button.name = Text(kButton1);
  button.kind = ControlKind::PushButton;
  button.place = {229, 16};
  button.size = {80, 32};
  button.text = "\xB2\xE9\xD1\xAF";  // "查询"
  button.alignment = HorizontalAlignment::Centre;
  button.onClicked = OnQueryButtonClicked;
  return button;
}

ControlDefinition Label3() {
  ControlDefinition label;
  label.name = Text(kLabel3);
  label.kind = ControlKind::Label;
  label.place = {24, 64};
  label.size = {288, 55};
  label.text = "\r\n\xB2\xE9\xD1\xAF\xBD\xE1\xB9\xFB";  // CR LF, "查询结果"
  label.font = FontSetting{.pixelHeight = 16, .weight = 400};
  label.alignment = HorizontalAlignment::Centre;
  label.wordWrap = true;
  return label;
}

ControlDefinition Label1() {
  ControlDefinition label;
  label.name = Text(kLabel1);
  label.kind = ControlKind::Label;
  label.place = {16, 131};
  label.size = {320, 30};
  // "目前话费查询只支持电信 移动，联通用户不显示余额；" CR LF
  // "查询的时候可能因网络延迟，请等到3-5秒钟"
  label.text =
      "\xC4\xBF\xC7\xB0\xBB\xB0\xB7\xD1\xB2\xE9\xD1\xAF\xD6\xBB\xD6\xA7\xB3\xD6\xB5\xE7\xD0\xC5"
      " \xD2\xC6\xB6\xAF\xA3\xAC\xC1\xAA\xCD\xA8\xD3\xC3\xBB\xA7\xB2\xBB\xCF\xD4\xCA\xBE\xD3\xE0"
      "\xB6\xEE\xA3\xBB\r\n"
      "\xB2\xE9\xD1\xAF\xB5\xC4\xCA\xB1\xBA\xF2\xBF\xC9\xC4\xDC\xD2\xF2\xCD\xF8\xC2\xE7\xD1\xD3"
      "\xB3\xD9\xA3\xAC\xC7\xEB\xB5\xC8\xB5\xBD"
      "3-5\xC3\xEB\xD6\xD3";
  label.textColour = {255, 0, 0};
  label.alignment = HorizontalAlignment::Left;
  label.wordWrap = true;
  return label;
}

MenuDefinition TrayMenu() {
  MenuItemDefinition show;
  show.name = "ShowItem";
  show.text = "\xCF\xD4\xCA\xBE";  // "显示"
  show.onSelected = OnShowItemSelected;
  MenuItemDefinition close;
  close.name = "CloseItem";
  close.text = "\xB9\xD8\xB1\xD5";  // "关闭"
  close.onSelected = OnCloseItemSelected;
  MenuDefinition menu;
  menu.name = "\xB2\xCB\xB5\xA5";  // "菜单"
  menu.text = "\xB2\xCB\xB5\xA5";
  menu.topItemHidden = true;  // no menu bar; the items serve as the tray menu
  menu.items = {show, close};
  return menu;
}

WindowDefinition MakeMainWindowDefinition() {
  WindowDefinition window;
  window.name = "MainWindow";
  window.caption = "Kelvaro\xA1\xAAOrvelle";  // "Kelvaro—Orvelle", an em dash in the middle
  window.outerSize = {338, 216};
  window.designPosition = {50, 50};
  window.centred = true;
  window.minimizeBox = true;
  window.maximizeBox = false;
  window.taskbarButton = false;
  window.dragByBody = true;
  window.controls = {Label2(), EditBox1(), Button1(), Label3(), Label1()};
  window.menu = TrayMenu();
  window.onCreated = OnMainWindowCreated;
  window.onTrayEvent = OnTrayEvent;
  return window;
}

}  // namespace

const WindowDefinition& MainWindowDefinition() {
  static const WindowDefinition definition = MakeMainWindowDefinition();
  return definition;
}

}  // namespace kelvaro
