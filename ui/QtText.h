#pragma once
// The core hands every text over as UTF-8 in a std::string; the windows and the tools turn it
// into a QString the same way, through this one helper.
#include <QString>
#include <string>

namespace ui {

inline QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace ui
