#include "ui/OwnStyle.h"

namespace ui {
namespace {

QString Css(const QColor& c) { return c.name(QColor::HexArgb); }

}  // namespace

const QList<StyleRule>& OwnStyleRules() {
  // The skins' palette: slate text on light surfaces, a deep blue accent that carries
  // white text, and a dark read-out panel for the voltage colours, which only read on
  // near-black.
  static const QList<StyleRule> rules = {
      {"QWidget", QColor(0x1F, 0x29, 0x37), QColor(0xF5, 0xF7, 0xFA), "font-size: 13px;"},
      {"QGroupBox", QColor(0x0F, 0x17, 0x2A), QColor(0xFF, 0xFF, 0xFF),
       "border: 1px solid #FFE2E8F0; border-radius: 8px; margin-top: 18px; padding: 14px 10px 8px "
       "10px;"
       " font-weight: bold;"},
      {"QGroupBox QLabel", QColor(0x1F, 0x29, 0x37), QColor(0xFF, 0xFF, 0xFF),
       "font-weight: normal;"},
      {"QLabel#note, QLabel#localPageText", QColor(0x47, 0x55, 0x69), {}, ""},
      {"QLineEdit, QPlainTextEdit, QComboBox", QColor(0x1F, 0x29, 0x37), QColor(0xFF, 0xFF, 0xFF),
       "border: 1px solid #FFCBD5E1; border-radius: 4px; padding: 4px 8px; font-weight: normal;"},
      {"QLineEdit:disabled, QPlainTextEdit:disabled, QComboBox:disabled", QColor(0x47, 0x55, 0x69),
       QColor(0xE2, 0xE8, 0xF0), ""},
      {"QComboBox QAbstractItemView", QColor(0x1F, 0x29, 0x37), QColor(0xFF, 0xFF, 0xFF),
       "selection-background-color: #FFDBEAFE; selection-color: #FF0F172A; outline: none;"},
      {"QPushButton", QColor(0x1F, 0x29, 0x37), QColor(0xFF, 0xFF, 0xFF),
       "border: 1px solid #FFCBD5E1; border-radius: 6px; padding: 6px 18px; min-height: 20px;"},
      {"QPushButton:hover", {}, QColor(0xF1, 0xF5, 0xF9), ""},
      {"QPushButton:pressed", {}, QColor(0xE2, 0xE8, 0xF0), ""},
      {"QPushButton:disabled", QColor(0x47, 0x55, 0x69), QColor(0xE2, 0xE8, 0xF0),
       "border-color: #FFE2E8F0;"},
      {"QPushButton[primary=\"true\"]", QColor(0xFF, 0xFF, 0xFF), QColor(0x07, 0x67, 0xB3),
       "border: none; font-weight: bold;"},
      {"QPushButton[primary=\"true\"]:hover", {}, QColor(0x08, 0x5A, 0x9C), ""},
      {"QPushButton[primary=\"true\"]:pressed", {}, QColor(0x08, 0x4C, 0x84), ""},
      {"QPushButton[primary=\"true\"]:disabled", QColor(0x33, 0x41, 0x55), QColor(0xCB, 0xD5, 0xE1),
       ""},
      // The focus shows as a ring around whatever has it, also the accent button.
      {"QPushButton:focus, QLineEdit:focus, QPlainTextEdit:focus, QComboBox:focus",
       {},
       {},
       "border: 2px solid #FF0F172A;"},
      {"QLabel#readout", QColor(0xE2, 0xE8, 0xF0), QColor(0x0B, 0x12, 0x20),
       "border-radius: 8px; padding: 12px; font-size: 44px; font-weight: bold;"},
      // The voltage colours of the device report.
      {"QLabel#readout[level=\"good\"]", QColor(0x00, 0xFF, 0x00), QColor(0x0B, 0x12, 0x20), ""},
      {"QLabel#readout[level=\"bad\"]", QColor(0xFF, 0x00, 0x00), QColor(0x0B, 0x12, 0x20), ""},
      {"QWidget#dialogHead", QColor(0x33, 0x41, 0x55), QColor(0xF8, 0xFA, 0xFC),
       "border-bottom: 1px solid #FFE2E8F0; font-weight: bold;"},
      {"QWidget#dialogBody", QColor(0x1F, 0x29, 0x37), QColor(0xFF, 0xFF, 0xFF),
       "font-size: 15px;"},
  };
  return rules;
}

QString OwnStyleSheet() {
  QString sheet;
  for (const StyleRule& r : OwnStyleRules()) {
    sheet += r.selector + " {";
    if (r.text.isValid()) sheet += " color: " + Css(r.text) + ";";
    if (r.background.isValid()) sheet += " background: " + Css(r.background) + ";";
    if (!r.more.isEmpty()) sheet += " " + r.more;
    sheet += " }\n";
  }
  return sheet;
}

}  // namespace ui
