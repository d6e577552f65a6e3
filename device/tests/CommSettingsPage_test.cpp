#include "device/CommSettingsPage.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Files.h"
#include "platform/Ini.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TempFolder.h"

namespace {

using device::CommPageState;
using device::CommSettingsPage;
using Outcome = CommSettingsPage::SaveOutcome;

// A KRY.ini with distinct values in every per-type section, so copied fields show.
std::string KryIni(const std::string& type = "4") {
  std::string ini = "[KRY]\nLogLevel=0x01\nLogFlag=1\nUnlock=0\n[COMM]\nType=" + type +
                    "\nPort=6000\nDatarate=100M\nTimeout=3000\nDelay=0\nIPAddr=10.0.0.9\n"
                    "[COMM255]\nType=255\nPort=0\nDatarate=0\nTimeout=1700\nDelay=8\nName=Auto\n";
  const char* names[] = {"USB", "COM", "Bluetooth", "WiFi", "LAN", "WLAN", "USBLAN"};
  const char* rates[] = {"921600", "115200", "57600", "54", "100", "300", "480"};
  const char* ports[] = {"0", "3", "5", "6801", "6801", "6802", "6803"};
  for (int t = 0; t < 7; ++t) {
    const std::string n = std::to_string(t);
    ini += "[COMM" + n + "]\nType=" + n + "\nPort=" + ports[t] + "\nDatarate=" + rates[t] +
           "\nTimeout=1" + n + "00\nDelay=" + n + "\nName=" + names[t] + "\n";
    if (t >= 3) ini += "IPAddr=192.168." + std::to_string(t + 5) + ".1\n";
  }
  return ini;
}

class CommSettingsPageTest : public ::testing::Test {
 protected:
  core::ZCommSettings& Loaded(const std::string& text) {
    platform::WriteFile(path_, text);
    settings_ = core::ZCommSettings(path_);
    settings_.Load();
    return settings_;
  }
  std::string Value(const char* section, const char* key) const {
    return platform::ReadProfileString(section, key, "<none>", 260, path_);
  }
  // "position|port|address|picture", each field after "port "/"address " when enabled.
  static std::string Fields(const CommPageState& s) {
    return std::to_string(s.typePosition) + "|" + (s.portEnabled ? "port " : "") + s.portText +
           "|" + (s.addressEnabled ? "address " : "") + s.addressText + "|" + s.picture;
  }

  testing_support::TempFolder dir_;
  std::string path_ = dir_ / "KRY.ini";
  core::ZCommSettings settings_;
};

// The stored record's fields; types the list has no entry for leave the controls as the
// user left them.
TEST_F(CommSettingsPageTest, ShowFillsTheFieldsByStoredType) {
  const std::pair<const char*, const char*> cases[] = {{"0", "1|typed||"},
                                                       {"1", "2|port 6000||"},
                                                       {"2", "3|port 6000||"},
                                                       {"3", "4|port 6000|address 10.0.0.9|"},
                                                       {"7", "3|typed||"}};
  for (const auto& [type, fields] : cases) {
    CommPageState state;
    state.typePosition = 3, state.portText = "typed";
    CommSettingsPage(Loaded(KryIni(type))).Show(state);
    EXPECT_EQ(Fields(state) + std::to_string(state.logLevelPosition) +
                  std::to_string(state.logFlagPosition),
              fields + std::string("11"));
  }
}

TEST_F(CommSettingsPageTest, SelectTypeShowsThePerTypeDefaults) {
  CommSettingsPage page(Loaded(KryIni()));
  std::string shown;
  for (int position : {0, 1, 2, 4, 7}) {
    CommPageState state;
    state.addressText = "old";
    page.SelectType(position, state);
    shown += Fields(state) + " ";
  }
  EXPECT_EQ(shown,
            "0|0||config_auto.png 1|0||config_usb.png 2|port 3||config_com.png 4|port "
            "6801|address 192.168.8.1|config_wifi.png 7|port 6803|address "
            "192.168.11.1|config_usblan.png ");
  CommPageState untouched;
  page.SelectType(8, untouched);
  page.SelectType(-1, untouched);
  EXPECT_EQ(untouched.typePosition, -1);
}

// What a save writes, by the position chosen (-1: none), the typed fields and the answers.
TEST_F(CommSettingsPageTest, SaveWritesTheChosenTypeWithItsStoredFields) {
  const auto saved = Outcome::Saved;
  const struct {
    const char* storedType;
    int position;
    const char *port, *address;
    int logLevelPosition;
    const char* answers;  // y: OK, n: Cancel
    Outcome outcome;
    // [COMM] Type, Port, Datarate, Timeout, IPAddr and Name as written, then [KRY] LogLevel
    const char* written;
  } cases[] = {
      {"4", 5, "5000", "192.168.1.20", 5, "yn", saved, "4 5000 100M 1400 192.168.1.20 LAN 0xff"},
      {"4", 1, "99", "", 0, "yy", Outcome::EndProgram, "0 0 921600 1000 10.0.0.9 USB 0x00"},
      {"4", 2, "12a", "", 4, "yn", saved, "1 12 115200 1100 10.0.0.9 COM 0x04"},
      {"4", 2, "99999999999", "", 4, "yn", saved, "1 2147483647 115200 1100 10.0.0.9 COM 0x04"},
      {"4", 2, "abc", "", 4, "n", Outcome::Cancelled, ""},
      // The list shows nothing for type 7: the stored type and its fields stay.
      {"7", -1, "", "", 1, "yn", saved, "7 6000 100M 3000 10.0.0.9 USB 0x01"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.written);
    const std::string before = KryIni(c.storedType);
    CommSettingsPage page(Loaded(before));
    CommPageState state;
    page.Show(state);
    page.SelectType(c.position, state);
    if (c.position >= 0) state.portText = c.port;
    if (*c.address) state.addressText = c.address;
    state.logLevelPosition = c.logLevelPosition;
    testing_support::ScriptedInteraction ui;
    for (const char* a = c.answers; *a; ++a) ui.Answer({*a == 'y'});
    EXPECT_EQ(page.Save(state, ui), c.outcome);
    std::vector<std::string> tips = {"Confirm device config !"};
    if (c.position < 0) tips.emplace_back("Unsupported communication interface!");
    if (c.outcome != Outcome::Cancelled) tips.emplace_back("Config was saved !");
    EXPECT_EQ(ui.Texts("tip"), tips);
    if (c.outcome == Outcome::Cancelled) {
      EXPECT_EQ(platform::ReadFile(path_), before);
      EXPECT_EQ(settings_.current().Type, 4);
      continue;
    }
    std::string written;
    for (const char* key : {"Type", "Port", "Datarate", "Timeout", "IPAddr", "Name"})
      written += Value("COMM", key) + " ";
    EXPECT_EQ(written + Value("KRY", "LogLevel"), c.written);
  }
}

// A file behind a file in its folder's place (root may write anything else): the page
// reports it, keeps nothing of the unsaved choice and asks nothing more.
TEST_F(CommSettingsPageTest, UnwritableFileIsReportedAndLeftAsItWas) {
  platform::WriteFile(dir_ / "not-a-folder", "");
  core::ZCommSettings settings(dir_ / "not-a-folder/KRY.ini");
  settings.Load();
  CommSettingsPage page(settings);
  CommPageState state;
  page.SelectType(3, state);
  testing_support::ScriptedInteraction ui;
  ui.SetDefaultAnswer(true);
  const auto before = settings.current().Type;
  EXPECT_EQ(page.Save(state, ui), Outcome::WriteFailed);
  EXPECT_EQ(settings.current().Type, before);  // the unsaved choice is not kept
  // One message, and only the first confirmation.
  EXPECT_EQ(std::make_pair(ui.Texts("message").size(), ui.Texts("tip").size()),
            std::make_pair(std::size_t{1}, std::size_t{1}));
}

}  // namespace
