// KRYDoIPConfig: the adapter's DoIP module network settings, shown and changed.
#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "device/ZKRYDevice.h"
#include "tools/DoIPConfigTool.h"
#include "tools/ToolStart.h"
#include "tools/gui/ToolInteraction.h"
#include "tools/gui/ToolLook.h"
#include "ui/QtText.h"

namespace {

using tools::ToolText;
using ui::Q;

struct Window {
  QWidget widget;
  QLabel serial, connection, module, ssid, status;
  QComboBox proto;
  QLineEdit ipaddr, netmask, gateway;
  QPushButton refresh{ToolText("Refresh")}, apply{ToolText("Apply")}, close{ToolText("Close")};

  Window() {
    widget.setWindowTitle("KRYDoIPConfig");
    auto* adapterBox = new QGroupBox(ToolText("Adapter"));
    auto* adapterForm = new QFormLayout(adapterBox);
    adapterForm->addRow(ToolText("Serial Number"), &serial);
    adapterForm->addRow(ToolText("Interface"), &connection);
    adapterForm->addRow(ToolText("DoIP module"), &module);
    adapterForm->addRow(ToolText("SSID"), &ssid);
    auto* lanBox = new QGroupBox(ToolText("Module LAN"));
    auto* lanForm = new QFormLayout(lanBox);
    proto.addItem(ToolText("Static address"), "static");
    proto.addItem(ToolText("DHCP"), "dhcp");
    lanForm->addRow(ToolText("Address mode"), &proto);
    lanForm->addRow(ToolText("IP address"), &ipaddr);
    lanForm->addRow(ToolText("Netmask"), &netmask);
    lanForm->addRow(ToolText("Gateway"), &gateway);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(&refresh);
    buttons->addStretch();
    buttons->addWidget(&apply);
    buttons->addWidget(&close);
    auto* layout = new QVBoxLayout(&widget);
    layout->addWidget(adapterBox);
    layout->addWidget(lanBox);
    status.setWordWrap(true);
    layout->addWidget(&status);
    layout->addLayout(buttons);
    widget.resize(420, 360);
    apply.setProperty("primary", true);
    status.setObjectName("note");
    QObject::connect(&proto, &QComboBox::currentIndexChanged, [this] { EnableFields(); });
  }

  void EnableFields() {
    const bool fixed = proto.currentData().toString() == "static";
    for (QLineEdit* e : {&ipaddr, &netmask, &gateway}) e->setEnabled(fixed && apply.isEnabled());
  }

  void Show(const tools::DoIPConfigTool& tool, bool moduleRead) {
    const auto& a = tool.adapter();
    serial.setText(Q(a.serial));
    connection.setText(Q(a.connection));
    module.setText(a.hasModule ? Q(a.module.name + "  " + a.module.version) : ToolText("none"));
    ssid.setText(Q(a.module.ssid));
    apply.setEnabled(moduleRead);
    proto.setEnabled(moduleRead);
    if (moduleRead) {
      const auto& n = tool.network();
      proto.setCurrentIndex(n.proto == "dhcp" ? 1 : 0);
      ipaddr.setText(Q(n.ipaddr));
      netmask.setText(Q(n.netmask));
      gateway.setText(Q(n.gateway));
    }
    EnableFields();
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  tools::ToolInteraction ui;
  std::string error;
  const bool sdk = tools::StartTool("KRYDoIPConfig", ui, &error);
  Window w;
  tools::PrepareToolWindow(w.widget);
  ui.SetOwner(&w.widget);
  device::ZKRYDevice device;
  tools::DoIPConfigTool tool(ui, device);

  const auto read = [&] {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string why;
    const bool ok = sdk && tool.ReadAdapter(&why) && tool.ReadModule(&why);
    QApplication::restoreOverrideCursor();
    w.Show(tool, ok);
    w.status.setText(ok ? ToolText("Settings read from the module.") : Q(sdk ? why : error));
  };
  QObject::connect(&w.refresh, &QPushButton::clicked, read);
  QObject::connect(&w.close, &QPushButton::clicked, [&] { w.widget.close(); });
  QObject::connect(&w.apply, &QPushButton::clicked, [&] {
    tools::ModuleNetwork wanted{
        w.proto.currentData().toString().toStdString(), w.ipaddr.text().trimmed().toStdString(),
        w.netmask.text().trimmed().toStdString(), w.gateway.text().trimmed().toStdString()};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::string why;
    const bool ok = tool.Apply(wanted, &why);
    QApplication::restoreOverrideCursor();
    if (ok) w.Show(tool, true);
    w.status.setText(ok ? ToolText("The module took the new settings.") : Q(why));
  });
  w.widget.show();
  tools::ScreenshotIfAsked(&w.widget);
  read();
  return app.exec();
}
