// OBDVoltage: the vehicle's battery voltage on OBD pin 16, read live through the adapter.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QVBoxLayout>

#include "device/AdapterLock.h"
#include "device/ZKRYDevice.h"
#include "tools/ToolStart.h"
#include "tools/VoltageMonitor.h"
#include "tools/gui/ToolInteraction.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("OBDVoltage");
  QLabel caption("OBD pin 16 voltage");
  QLabel value("--");
  QFont big = value.font();
  big.setPixelSize(48);
  big.setBold(true);
  value.setFont(big);
  value.setAlignment(Qt::AlignCenter);
  QLabel note;
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(&caption);
  layout->addWidget(&value, 1);
  layout->addWidget(&note);
  window.resize(320, 200);

  tools::ToolInteraction ui(&window);
  std::string error;
  const bool sdk = tools::StartTool("OBDVoltage", ui, &error);
  device::ZKRYDevice device;
  tools::VoltageMonitor monitor(device, [&](const tools::VoltageReading& r) {
    tools::PostToGui(&value, [&value, &note, r] {
      const bool volts = r.kind == tools::VoltageReading::Kind::Volts;
      value.setText(QString::fromStdString(volts ? r.text : std::string("--")));
      value.setStyleSheet(QString("color: #%1").arg(r.colour & 0xFFFFFF, 6, 16, QChar('0')));
      note.setText(volts ? "Green from 8.00 V to 15.00 V." : QString::fromStdString(r.text));
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
