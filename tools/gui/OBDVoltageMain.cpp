// OBDVoltage: the vehicle's battery voltage on OBD pin 16, read live through the adapter.
#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

#include "device/AdapterLock.h"
#include "device/ZKRYDevice.h"
#include "tools/ToolStart.h"
#include "tools/VoltageMonitor.h"
#include "tools/gui/ToolInteraction.h"
#include "tools/gui/ToolLook.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  tools::ToolInteraction ui;
  std::string error;
  const bool sdk = tools::StartTool("OBDVoltage", ui, &error);
  using tools::ToolText;
  QWidget window;
  tools::PrepareToolWindow(window);
  ui.SetOwner(&window);
  window.setWindowTitle("OBDVoltage");
  QLabel caption(ToolText("OBD pin 16 voltage"));
  // The report's green and red only read on a dark panel.
  QLabel value("--");
  value.setObjectName("readout");
  value.setAlignment(Qt::AlignCenter);
  QLabel note;
  note.setObjectName("note");
  note.setWordWrap(true);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(&caption);
  layout->addWidget(&value, 1);
  layout->addWidget(&note);
  window.resize(320, 220);

  device::ZKRYDevice device;
  tools::VoltageMonitor monitor(device, [&](const tools::VoltageReading& r) {
    tools::PostToGui(&value, [&value, &note, r] {
      const bool volts = r.kind == tools::VoltageReading::Kind::Volts;
      value.setText(QString::fromStdString(volts ? r.text : std::string("--")));
      value.setProperty("level", !volts ? "" : (r.colour & 0xFFFFFF) == 0x00FF00 ? "good" : "bad");
      value.style()->unpolish(&value);
      value.style()->polish(&value);
      note.setText(volts ? ToolText("Green from 8.00 V to 15.00 V.")
                         : QString::fromStdString(r.text));
    });
  });
  monitor.SetLockFile(device::CurrentAdapterLockPath());
  window.show();
  tools::ScreenshotIfAsked(&window);
  if (sdk)
    monitor.Start();
  else
    note.setText(QString::fromStdString(error));
  const int code = app.exec();
  monitor.Stop();
  return code;
}
