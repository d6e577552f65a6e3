#pragma once
// The device pages' history page: the update history of the adapter the information page
// read last, newest first, with failed runs marked.
#include <string>

#include "history/UpdateHistory.h"
#include "ui/GUIWnd.h"

namespace ui {

class List;

class DeviceHistoryWnd : public GUIWnd {
 public:
  // A failed run: dark red text on a light red row (contrast above 7:1).
  static constexpr unsigned kFailedText = 0xFF991B1B;
  static constexpr unsigned kFailedRow = 0xFFFEF2F2;

  explicit DeviceHistoryWnd(history::UpdateHistory& store = history::ProgramHistory())
      : store_(store) {}

  // Lists the records of the adapter with this serial number; none read yet when empty.
  void ShowFor(const std::string& serial);

 protected:
  QString GetSkinFile() override { return "DeviceHistoryWnd.xml"; }
  QString GetWindowClassName() const override { return "DeviceHistoryWnd"; }
  void OnFindControl() override;
  void OnPrepare() override;

 private:
  void ShowNotice(const std::string& text);

  history::UpdateHistory& store_;
  List* list_ = nullptr;
  Control* title_ = nullptr;
  Control* empty_ = nullptr;
};

}  // namespace ui
