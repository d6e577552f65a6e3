#include "device/DeviceReport.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <set>

#include "core/ProgramTexts.h"
#include "device/BatteryVoltage.h"
#include "device/ZKRYDevice.h"
#include "device/ZKRYSdk.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/SimulatedAdapterTest.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

using testing_support::VciSim;
using Kind = device::ReportRow::Kind;

class DeviceReportTest : public testing_support::SimulatedAdapterTest {
 protected:
  void SetUp() override {
    SimulatedAdapterTest::SetUp();
    platform::CreateFolders(folder / "skin");
    platform::WriteFile(folder / "skin/pro.png", "png");
    config.sdk = {"ZADEZO", "1.1.1", "2015-01-01"};
    config.deviceModels.push_back({"Pro", "", "K", "#", "#", "pro.png", true});
    config.deviceModels.push_back({"Ghost", "", "Z", "#", "#", "missing.png", false});
  }
  // Runs the report against `sim` with a catalogue in which only `latest` versions are current.
  device::DeviceReport Report(const VciSim& sim, const std::set<std::string>& latest = {},
                              device::DeviceReport state = {}) {
    sim.WriteKryIni(folder / "kry/KRY.ini");
    core::ZCommSettings comm;
    comm.Load();
    device::ReportContext ctx{
        config, comm, [latest](std::uint32_t, const std::string& v) { return latest.count(v) > 0; },
        folder / "skin"};
    device::ZKRYDevice dev;
    device::UpdateDeviceInfo(dev, ctx, state);
    EXPECT_FALSE(dev.connected()) << "the report closes the adapter";
    return state;
  }
  static std::vector<std::string> Labels(const device::DeviceReport& r) {
    std::vector<std::string> out;
    for (const auto& row : r.rows) out.push_back(row.label + "=" + row.value);
    return out;
  }

  core::ZConfig config;
};

TEST_F(DeviceReportTest, AnAdapterWithItsModule) {
  VciSim sim({"--module"});
  ASSERT_TRUE(sim.ok()) << sim.output();
  device::DeviceReport r = Report(sim);
  EXPECT_EQ(Labels(r),
            (std::vector<std::string>{
                "Hardware=", "Name=VCI-X100", "Serial Number=K9ABC00258", "Interface=USB",
                "Firmware=", "Name=KRYVCI", "Version=1.2.3.4", "Date=2024-03-05",
                "Driver=", "Name=ZADEZO", "Version=1.1.1", "Date=2015-01-01",
                "Expansion=", "Name=DOIPMOD", "Version=V1.0.3", "Date=20240301", "SSID=KRY-DoIP"}));
  EXPECT_EQ(r.rows[0].kind, Kind::Header);
  EXPECT_EQ(r.rows[1].kind, Kind::Value);
  EXPECT_EQ(r.serialText, "K9ABC00258");
  EXPECT_EQ(r.serialColour, device::kColourGreen);
  EXPECT_EQ(r.voltageText, " 12.34 V");
  EXPECT_EQ(r.voltageColour, device::kColourGreen);
  EXPECT_EQ(r.modelImage, "pro.png");
  EXPECT_EQ(r.connectionImage, "conn_lan.png");
  EXPECT_EQ(r.connectionTip, "LAN\r\n" + sim.address() + " : " + std::to_string(VciSim::kSdkPort));
  EXPECT_TRUE(r.hasDoIP);
  EXPECT_EQ(r.vciPid, 0x0301u);
  EXPECT_EQ(r.doipPid, 0x0401u);
  // Neither version is the catalogue's: the marker once, however often the report runs.
  EXPECT_TRUE(r.firmwareUpdate);
  r.firmwareButtonText = "Firmware";
  r = Report(sim, {}, r);
  r = Report(sim, {}, r);
  EXPECT_EQ(r.firmwareButtonText, "Firmware +");
  // Both current: the marker goes.
  r = Report(sim, {"1.2.3.4", "V1.0.3"}, r);
  EXPECT_EQ(r.firmwareButtonText, "Firmware");
  EXPECT_FALSE(r.firmwareUpdate);
  // Only the module behind: marked again.
  r = Report(sim, {"1.2.3.4"}, r);
  EXPECT_EQ(r.firmwareButtonText, "Firmware +");
  EXPECT_TRUE(r.firmwareUpdate);
}

TEST_F(DeviceReportTest, OemVariantsAndAnAdapterWithoutModule) {
  VciSim sim;
  ASSERT_TRUE(sim.ok()) << sim.output();
  struct Case {
    bool oemFlag;
    const char* oemString;
    std::vector<std::string> rows;
  } cases[] = {
      {false,
       "OD",
       {"Hardware=", "Name=VCI-X100", "Serial Number=K9ABC00258", "Interface=USB", "Firmware=",
        "Name=KRYVCI", "Version=OD1.2.3.4", "Driver=", "Name=ZADEZO", "Version=OD1.1.1"}},
      {true,
       "X",
       {"Hardware=", "Name=VCI", "Serial Number=K9ABC00258", "Interface=USB",
        "Firmware=", "Name=VCI", "Version=1.2.3.4", "Date=2024-03-05", "Driver=", "Name=ZADEZO",
        "Version=1.1.1", "Date=2015-01-01"}},
  };
  for (const auto& c : cases) {
    config.OEMFlag = c.oemFlag;
    config.OEMString = c.oemString;
    const device::DeviceReport r = Report(sim, {"1.2.3.4"});
    EXPECT_EQ(Labels(r), c.rows) << c.oemString;
    EXPECT_FALSE(r.hasDoIP);
    EXPECT_FALSE(r.firmwareUpdate);
  }
  // "OD" leaves out the module's date too.
  VciSim withModule({"--module"});
  ASSERT_TRUE(withModule.ok()) << withModule.output();
  config.OEMFlag = false;
  config.OEMString = "OD";
  const device::DeviceReport r = Report(withModule, {"1.2.3.4"});
  ASSERT_TRUE(r.hasDoIP);
  for (const auto& label : Labels(r)) EXPECT_NE(label.rfind("Date=", 0), 0u) << label;
}

TEST_F(DeviceReportTest, InUseNotConnectedAndBootMode) {
  {
    VciSim sim({"--held"});
    ASSERT_TRUE(sim.ok()) << sim.output();
    const device::DeviceReport r = Report(sim);
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0].label, core::Text(core::TextId::kDeviceInUse));
    EXPECT_EQ(r.rows[0].kind, Kind::Notice);
    EXPECT_TRUE(r.noticeFont);
    EXPECT_EQ(r.connectionImage, "conn_used.png");
  }
  {
    VciSim sim;
    ASSERT_TRUE(sim.ok());
    sim.Stop();
    const device::DeviceReport r = Report(sim);
    EXPECT_EQ(Labels(r),
              std::vector<std::string>{core::Text(core::TextId::kNotConnected) + "=(USB)"});
    EXPECT_EQ(r.connectionImage, "conn_unknow.png");
    EXPECT_TRUE(r.serialText.empty());
    // Without a device object the page shows the same, and keeps what it remembers.
    device::DeviceReport kept;
    kept.firmwareButtonText = "Update Firmware +";
    const device::DeviceReport none = device::NoAdapterReport("USB", kept);
    EXPECT_EQ(Labels(none), Labels(r));
    EXPECT_TRUE(none.noticeFont);
    EXPECT_EQ(none.connectionImage, r.connectionImage);
    EXPECT_EQ(none.firmwareButtonText, kept.firmwareButtonText);
  }
  {
    VciSim sim({"--profile", Profile("[Adapter]\nBootMode=1\nHardwareName=vci-boot\n")});
    ASSERT_TRUE(sim.ok()) << sim.output();
    const device::DeviceReport r = Report(sim, {"1.2.3.4"});
    EXPECT_EQ(Labels(r), std::vector<std::string>{"VCI Boot=Mode"});
    EXPECT_TRUE(r.firmwareUpdate);
    EXPECT_EQ(r.vciPid, 0x0301u);
  }
}

TEST_F(DeviceReportTest, PicturesAndTheRememberedAddress) {
  VciSim sim({"--profile", Profile("[Adapter]\nSerialChars=Z1XYQ\n[Interface]\nType=3\n")});
  ASSERT_TRUE(sim.ok()) << sim.output();
  const device::DeviceReport r = Report(sim);
  EXPECT_EQ(r.modelImage, "") << "a model picture that does not exist is not shown";
  EXPECT_EQ(r.connectionTip.rfind("WiFi\r\n", 0), 0u);
  // The SDK used the simulator's address and port: the record keeps them.
  EXPECT_EQ(platform::ReadProfileString("COMM", "IPAddr", "", 64, folder / "kry/KRY.ini"),
            sim.address());
}

// The battery voltage as the adapter reports it: the label at the edges of its good range,
// and the question before a firmware write below 9 V or without a reading (cancelled here).
TEST_F(DeviceReportTest, TheBatteryVoltageLabelAndQuestion) {
  const std::uint32_t red = device::kColourRed, green = device::kColourGreen;
  struct V {
    int mv;
    bool unreadable;
    const char* text;
    std::uint32_t colour;
    bool asked;
  } volts[] = {{7999, false, "  8.00 V", red, true},     {8000, false, "  8.00 V", green, true},
               {8999, false, "  9.00 V", green, true},   {9000, false, "  9.00 V", green, false},
               {12340, false, " 12.34 V", green, false}, {15000, false, " 15.00 V", green, false},
               {15001, false, " 15.00 V", red, false},   {12340, true, "  0.00 V", red, true}};
  for (const auto& v : volts) {
    std::vector<std::string> args = {"--profile",
                                     Profile("[Adapter]\nVoltage=" + std::to_string(v.mv) + "\n")};
    if (v.unreadable) args.push_back("--voltage-unreadable");
    VciSim sim(args);
    ASSERT_TRUE(sim.ok()) << sim.output();
    const device::DeviceReport r = Report(sim);
    EXPECT_EQ(r.voltageText, v.text) << v.mv;
    EXPECT_EQ(r.voltageColour, v.colour) << v.mv;

    device::ZKRYDevice dev;
    ASSERT_EQ(dev.Open(), 0);
    testing_support::ScriptedInteraction ui;
    ui.SetDefaultAnswer(false);
    EXPECT_EQ(device::GoOnDespiteLowVoltage(dev, ui), !v.asked) << v.mv;
    dev.Close();
    const auto shown = ui.shown();
    ASSERT_EQ(shown.size(), v.asked ? 1u : 0u) << v.mv;
    if (v.asked) {
      EXPECT_EQ(shown[0].windowName + shown[0].text,
                "LRESETWNDTIP" + core::Text(core::TextId::kLowVoltageQuestion));
    }
  }
}

TEST(DeviceReportRules, ConnectionLabelsAndMarkers) {
  EXPECT_EQ(device::ConnectionLabel(2, 7, ""), "Bluetooth\r\nPort 7");
  EXPECT_EQ(device::ConnectionLabel(8, 80, "1.2.3.4"), "Farlink\r\n1.2.3.4 : 80");
  EXPECT_EQ(device::ConnectionLabel(255, 0, ""), "none device");
  EXPECT_EQ(device::ConnectionPicture(5), "conn_wifi.png");
  EXPECT_EQ(device::ConnectionPicture(42), "conn_auto.png");
  EXPECT_EQ(device::WithMarker("FW +"), "FW +");
  EXPECT_EQ(device::WithoutMarker("FW +"), "FW");
  EXPECT_EQ(device::WithoutMarker("FW"), "FW");
}

}  // namespace
