// RepairDevice: the kept VCI image written again into an adapter stuck in its boot loader.
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <atomic>
#include <thread>

#include "core/ZConfig.h"
#include "device/AdapterLock.h"
#include "device/ZKRYDevice.h"
#include "tools/DeviceRepair.h"
#include "tools/ToolStart.h"
#include "tools/gui/ToolInteraction.h"
#include "tools/gui/ToolLook.h"
#include "ui/QtText.h"

namespace {

using tools::ToolText;
using ui::Q;

// Not closed while the image is being written: an interrupted write is what breaks adapters.
class RepairWindow : public QWidget {
 public:
  std::atomic<bool> busy{false};

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (busy)
      event->ignore();
    else
      event->accept();
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  tools::ToolInteraction ui;
  std::string error;
  const bool sdk = tools::StartTool("RepairDevice", ui, &error);
  RepairWindow window;
  tools::PrepareToolWindow(window);
  ui.SetOwner(&window);
  window.setWindowTitle("RepairDevice");
  QLabel state, status;
  state.setWordWrap(true);
  status.setWordWrap(true);
  QProgressBar bar;
  bar.setRange(0, KRY_FIRMWARE_PROGRESS_FULL);
  bar.setValue(0);
  QPushButton look(ToolText("Look again")), repair(ToolText("Repair")), close(ToolText("Close"));
  repair.setProperty("primary", true);
  status.setObjectName("note");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(&look);
  buttons->addStretch();
  buttons->addWidget(&repair);
  buttons->addWidget(&close);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(&state);
  layout->addWidget(&bar);
  layout->addWidget(&status, 1);
  layout->addLayout(buttons);
  window.resize(460, 220);

  device::ZKRYDevice device;
  tools::DeviceRepair repairer({device, core::ZConfig::Instance().downloadDir, ui,
                                [&](int value, int maximum) {
                                  tools::PostToGui(&bar, [&bar, value, maximum] {
                                    bar.setRange(0, maximum);
                                    bar.setValue(value);
                                  });
                                },
                                [&](const std::string& text) {
                                  tools::PostToGui(&status,
                                                   [&status, text] { status.setText(Q(text)); });
                                },
                                device::CurrentAdapterLockPath()});
  std::thread worker;
  const auto find = [&] {
    std::string why;
    const bool found = sdk && repairer.Find(&why);
    state.setText(
        found ? ToolText("Adapter in boot mode found. The image %1 will be written into it.")
                    .arg(Q(repairer.ImagePath()))
              : Q(sdk ? why : error));
    repair.setEnabled(found);
  };
  QObject::connect(&look, &QPushButton::clicked, find);
  QObject::connect(&close, &QPushButton::clicked, [&] { window.close(); });
  QObject::connect(&repair, &QPushButton::clicked, [&] {
    if (worker.joinable()) worker.join();
    window.busy = true;
    for (QPushButton* b : {&look, &repair, &close}) b->setEnabled(false);
    bar.setValue(0);
    worker = std::thread([&] {
      std::string why;
      const bool ok = repairer.Repair(&why);
      tools::PostToGui(&window, [&, ok, why] {
        window.busy = false;
        look.setEnabled(true);
        close.setEnabled(true);
        repair.setEnabled(!ok);
        if (!ok) status.setText(Q(why));
        state.setText(ok ? ToolText("The adapter runs its firmware again.") : state.text());
      });
    });
  });
  window.show();
  tools::ScreenshotIfAsked(&window);
  find();
  const int code = app.exec();
  if (worker.joinable()) worker.join();
  return code;
}
