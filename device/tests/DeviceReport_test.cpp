#include "device/DeviceReport.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "core/ProgramTexts.h"
#include "device/BatteryVoltage.h"
#include "device/ZKRYDevice.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "tests/support/SimulatedAdapterTest.h"
#include "tests/support/VciSim.h"

namespace {

using testing_support::VciSim;

class DeviceReportTest : public testing_support::SimulatedAdapterTest {
 protected:
  void SetUp() override {
    SimulatedAdapterTest::SetUp();
    folder.Put("skin/pro.png", "png");
    config.sdk = {"ZADEZO", "1.1.1", "2015-01-01"};
    config.deviceModels.push_back({"Pro", "", "K", "#", "#", "pro.png", true});
    config.deviceModels.push_back({"Ghost", "", "Z", "#", "#", "missing.png", false});
  }
  // Runs the report against `sim` with a catalogue in which only `latest` versions are current.
  device::DeviceReport Report(const VciSim& sim, const std::set<std::string>& latest = {},
                              device::DeviceReport state = {}) {
    EXPECT_TRUE(sim.ok()) << sim.output();
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
  // The rows as "label=value|header:|notice!value...".
  static std::string Rows(const device::DeviceReport& r) {
    std::string out;
    for (const auto& row : r.rows)
      out += (out.empty() ? "" : "|") + row.label + ":=!"[static_cast<int>(row.kind)] + row.value;
    return out;
  }

  core::ZConfig config;
};

TEST_F(DeviceReportTest, AnAdapterWithItsModule) {
  VciSim sim({"--module"});
  device::DeviceReport r = Report(sim);
  EXPECT_EQ(Rows(r),
            "Hardware:|Name=VCI-X100|Serial Number=K9ABC00258|Interface=USB|Firmware:|Name=KRYVCI|"
            "Version=1.2.3.4|Date=2024-03-05|Driver:|Name=ZADEZO|Version=1.1.1|Date=2015-01-01|"
            "Expansion:|Name=DOIPMOD|Version=V1.0.3|Date=20240301|SSID=KRY-DoIP");
  EXPECT_EQ(std::tie(r.serialText, r.serialColour, r.modelImage, r.connectionImage, r.connectionTip,
                     r.hasDoIP, r.vciPid, r.doipPid),
            std::make_tuple("K9ABC00258", device::kColourGreen, "pro.png", "conn_lan.png",
                            "LAN\r\n" + sim.address() + " : " + std::to_string(VciSim::kSdkPort),
                            true, 0x0301u, 0x0401u));
  // Neither version is the catalogue's: the marker once, however often the report runs;
  // both current: the marker goes; only the module behind: marked again.
  const std::pair<std::set<std::string>, bool> runs[] = {
      {{}, true}, {{}, true}, {{"1.2.3.4", "V1.0.3"}, false}, {{"1.2.3.4"}, true}};
  r.firmwareButtonText = "Firmware";
  for (const auto& [latest, marked] : runs) {
    r = Report(sim, latest, r);
    EXPECT_EQ(std::make_pair(r.firmwareButtonText, r.firmwareUpdate),
              std::make_pair(std::string(marked ? "Firmware +" : "Firmware"), marked));
  }
}

// "OD" prefixes the versions and leaves out every date; the OEM flag names everything "VCI".
TEST_F(DeviceReportTest, OemVariants) {
  VciSim sim;
  const struct {
    bool oemFlag;
    const char* oemString;
    const char* rows;
  } cases[] = {
      {false, "OD",
       "Hardware:|Name=VCI-X100|Serial Number=K9ABC00258|Interface=USB|Firmware:|Name=KRYVCI|"
       "Version=OD1.2.3.4|Driver:|Name=ZADEZO|Version=OD1.1.1"},
      {true, "X",
       "Hardware:|Name=VCI|Serial Number=K9ABC00258|Interface=USB|Firmware:|Name=VCI|"
       "Version=1.2.3.4|Date=2024-03-05|Driver:|Name=ZADEZO|Version=1.1.1|Date=2015-01-01"},
  };
  for (const auto& c : cases) {
    config.OEMFlag = c.oemFlag;
    config.OEMString = c.oemString;
    EXPECT_EQ(Rows(Report(sim, {"1.2.3.4"})), c.rows);
  }
}

TEST_F(DeviceReportTest, InUseNotConnectedAndBootMode) {
  const struct {
    const char* fault;
    std::string rows;
    const char* picture;
  } cases[] = {
      {"--held", core::Text(core::TextId::kDeviceInUse) + "!", "conn_used.png"},
      {"--unreachable", core::Text(core::TextId::kNotConnected) + "!(USB)", "conn_unknow.png"},
      {"--boot-mode", "VCI Boot!Mode", ""}};
  for (const auto& c : cases) {
    VciSim sim({c.fault});
    const device::DeviceReport r = Report(sim, {"1.2.3.4"});
    // The notice font is for every case but boot mode, which must be updated.
    EXPECT_EQ(
        std::make_tuple(Rows(r), r.noticeFont, r.connectionImage, r.serialText, r.firmwareUpdate),
        std::make_tuple(c.rows, *c.picture != 0, c.picture, "", !*c.picture));
  }
  // Without a device object the page shows what a lost adapter shows, and keeps what it
  // remembers.
  device::DeviceReport kept;
  kept.firmwareButtonText = "Update Firmware +";
  const device::DeviceReport none = device::NoAdapterReport("USB", kept);
  EXPECT_EQ(
      std::make_tuple(Rows(none), none.noticeFont, none.connectionImage, none.firmwareButtonText),
      std::make_tuple(core::Text(core::TextId::kNotConnected) + "!(USB)", true, "conn_unknow.png",
                      kept.firmwareButtonText));
}

// The battery voltage as the adapter reports it: the label at the edges of its good range,
// and the question before a firmware write below 9 V or without a reading (cancelled here).
// The adapters have no model picture and a Wi-Fi link whose address the record keeps.
TEST_F(DeviceReportTest, TheBatteryVoltageLabelAndQuestion) {
  const std::uint32_t red = device::kColourRed, green = device::kColourGreen;
  const struct {
    int mv;
    bool unreadable;
    const char* text;
    std::uint32_t colour;
    bool asked;
  } volts[] = {{7999, false, "  8.00 V", red, true},    {8000, false, "  8.00 V", green, true},
               {9000, false, "  9.00 V", green, false}, {15000, false, " 15.00 V", green, false},
               {15001, false, " 15.00 V", red, false},  {12340, true, "  0.00 V", red, true}};
  for (const auto& v : volts) {
    SCOPED_TRACE(v.mv);
    std::vector<std::string> args = {
        "--profile", Profile("[Adapter]\nSerialChars=Z1XYQ\nVoltage=" + std::to_string(v.mv) +
                             "\n[Interface]\nType=3\n")};
    if (v.unreadable) args.emplace_back("--voltage-unreadable");
    VciSim sim(args);
    const device::DeviceReport r = Report(sim);
    EXPECT_EQ(std::make_tuple(
                  r.voltageText, r.voltageColour, r.modelImage, r.connectionTip.substr(0, 6),
                  platform::ReadProfileString("COMM", "IPAddr", "", 64, folder / "kry/KRY.ini")),
              std::make_tuple(v.text, v.colour, "", "WiFi\r\n", sim.address()));
    device::ZKRYDevice dev;
    ASSERT_EQ(dev.Open(), 0);
    testing_support::ScriptedInteraction ui;
    ui.SetDefaultAnswer(false);
    EXPECT_EQ(device::GoOnDespiteLowVoltage(dev, ui), !v.asked);
    dev.Close();
    const std::vector<std::string> question = {core::Text(core::TextId::kLowVoltageQuestion)};
    EXPECT_EQ(ui.Texts("tip"), v.asked ? question : std::vector<std::string>{});
  }
}

TEST(DeviceReportRules, ConnectionLabelsAndPictures) {
  // The network label is the report's own (LAN, Wi-Fi); here the serial and the unknown.
  EXPECT_EQ(device::ConnectionLabel(2, 7, "") + "|" + device::ConnectionLabel(255, 0, ""),
            "Bluetooth\r\nPort 7|none device");
  EXPECT_EQ(device::ConnectionPicture(5) + device::ConnectionPicture(42),
            "conn_wifi.pngconn_auto.png");
}

}  // namespace
