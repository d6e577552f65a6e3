#pragma once
// The applications page: a navigation list ("My Apps" and one entry per class of the
// catalogue) and the tiles of the selected entry, each with the application's logo, name
// and installed badge. A tile opens the application window; the tiles are rebuilt on
// every selection, when the main frame shows the page and after each application window.
#include <utility>
#include <vector>

#include "apps/ZAPPProcedure.h"
#include "apps/ZKRYAPPManager.h"
#include "net/ZDownloadFileService.h"
#include "ui/GUIWnd.h"

namespace ui {

class Container;

class KRYAPPManagerWnd : public GUIWnd {
 public:
  // `catalogue` may be none (no pages without a core); `service` none when offline.
  KRYAPPManagerWnd(apps::ZKRYAPPManager* catalogue, core::Interaction& ui,
                   apps::ZAPPProcedure::Modes modes, net::ZDownloadFileService* service);

  // Empties the tile container and adds the tiles of value v: 0 every application, else
  // those of the first class with that ID.
  void ShowValue(int value);
  // The tiles of the selected entry again (the main frame's navigation button).
  void Refresh() { ShowValue(selected_); }
  int selectedValue() const { return selected_; }
  const std::vector<std::pair<Control*, apps::ZKRYApp*>>& tiles() const { return tiles_; }
  const std::vector<std::pair<Control*, int>>& entries() const { return entries_; }

 protected:
  QString GetSkinFile() override { return "APPManagerWnd.xml"; }
  QString GetWindowClassName() const override { return "APPWndUI"; }
  void OnFindControl() override;
  void OnPrepare() override;
  void OnClick(TNotifyUI& msg) override;

 private:
  void AddEntry(const QString& text, const QString& logo, int value);
  void AddTile(apps::ZKRYApp& app);
  void Select(Control* entry);
  void OpenApplication(apps::ZKRYApp* app);

  apps::ZKRYAPPManager* catalogue_;
  core::Interaction& ui_;
  apps::ZAPPProcedure::Modes modes_;
  net::ZDownloadFileService* service_;
  std::vector<std::pair<Control*, apps::ZKRYApp*>> tiles_;
  std::vector<std::pair<Control*, int>> entries_;
  Container* appList_ = nullptr;
  Container* leftNavi_ = nullptr;
  Control* classList_ = nullptr;
  int selected_ = 0;
};

}  // namespace ui
