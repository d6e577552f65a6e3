#pragma once
// The application window: one catalogue application with its version, size, state and
// description, and the buttons that install, update, remove and start it or open its
// web page. The procedures behind the buttons are shared with the command line; this
// window binds their labels and button states to its controls, on the UI thread in order.
#include <atomic>
#include <memory>

#include "apps/ZAPPProcedure.h"
#include "core/ForwardingInteraction.h"
#include "net/ZDownloadFileService.h"
#include "ui/WindowImplBase.h"
#include "ui/WindowView.h"

namespace ui {

class APPWnd : public WindowImplBase {
 public:
  // `service` may be none (configured offline).
  APPWnd(apps::ZKRYApp& app, core::Interaction& ui, const apps::ZAPPProcedure::Modes& modes,
         net::ZDownloadFileService* service);
  ~APPWnd() override;

  // The page's use: created owned by `owner`, centred and run modally.
  static int Show(QWidget* owner, apps::ZKRYApp& app, core::Interaction& ui,
                  const apps::ZAPPProcedure::Modes& modes, net::ZDownloadFileService* service);

  QString GetSkinFolder() const { return "Skin"; }
  QString GetZIPFileName() const { return "skin.zip"; }
  apps::ZAPPProcedure& procedure() { return procedure_; }

 protected:
  QString GetSkinFile() override { return "AppWnd.xml"; }
  QString GetWindowClassName() const override { return "APPWndUI"; }
  void InitWindow() override;
  void OnClick(TNotifyUI& msg) override;
  // Closing during the installer's download cancels it, and the window closes once the
  // download has ended (its events report to this window); while the installer runs,
  // closing is refused.
  void OnSystemClose() override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ApplyButtons(const apps::AppButtons& buttons);

  std::atomic<bool> closeWhenIdle_{false};
  apps::ZKRYApp& app_;
  apps::ZAPPProcedure::Modes modes_;
  // The procedures' way to the user: windows through the program's interaction, labels into
  // this window's controls.
  WindowView view_{*this};
  core::ForwardingInteraction interaction_;
  apps::ZAPPProcedure procedure_;
};

}  // namespace ui
