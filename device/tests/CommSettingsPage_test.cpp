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
const char kKryIni[] =
    "[KRY]\nLogLevel=0x01\nLogFlag=1\nUnlock=0\n"
    "[COMM]\nType=4\nPort=6000\nDatarate=100M\nTimeout=3000\nDelay=0\nIPAddr=10.0.0.9\n"
    "[COMM0]\nType=0\nPort=0\nDatarate=921600\nTimeout=1000\nDelay=1\nName=USB\n"
    "[COMM1]\nType=1\nPort=3\nDatarate=115200\nTimeout=1100\nDelay=2\nName=COM\n"
    "[COMM2]\nType=2\nPort=5\nDatarate=57600\nTimeout=1200\nDelay=3\nName=Bluetooth\n"
    "[COMM3]\nType=3\nPort=6801\nDatarate=54\nTimeout=1300\nDelay=4\nIPAddr=192.168.8.1\nName="
    "WiFi\n"
    "[COMM4]\nType=4\nPort=6801\nDatarate=100\nTimeout=1400\nDelay=5\nIPAddr=192.168.9.1\nName="
    "LAN\n"
    "[COMM5]\nType=5\nPort=6802\nDatarate=300\nTimeout=1500\nDelay=6\nIPAddr=192.168.10.1\nName="
    "WLAN\n"
    "[COMM6]\nType=6\nPort=6803\nDatarate=480\nTimeout=1600\nDelay=7\nIPAddr=192.168.11.1\nName="
    "USBLAN\n"
    "[COMM255]\nType=255\nPort=0\nDatarate=0\nTimeout=1700\nDelay=8\nName=Auto\n";

class CommSettingsPageTest : public ::testing::Test {
 protected:
  void SetUp() override { Write(kKryIni); }

  void Write(const std::string& text) { platform::WriteFile(path_, text); }
  // The file with `type` as the stored type.
  void WriteWithType(const std::string& type) {
    std::string ini = kKryIni;
    ini.replace(ini.find("Type=4"), 6, "Type=" + type);
    Write(ini);
  }
  std::string Read() const { return platform::ReadFile(path_).value_or(""); }
  std::string Value(const char* section, const char* key) const {
    return platform::ReadProfileString(section, key, "<none>", 260, path_);
  }
  core::ZCommSettings Loaded() const {
    core::ZCommSettings s(path_);
    s.Load();
    return s;
  }

  testing_support::TempFolder dir_;
  std::string path_ = dir_ / "KRY.ini";
};

TEST_F(CommSettingsPageTest, ShowFillsTheFieldsByStoredType) {
  struct Case {
    const char* type;
    int position;
    bool port, address;
    const char* portText;
    const char* addressText;
  };
  const Case cases[] = {
      {"255", 0, false, false, "", ""},         {"0", 1, false, false, "", ""},
      {"1", 2, true, false, "6000", ""},        {"2", 3, true, false, "6000", ""},
      {"3", 4, true, true, "6000", "10.0.0.9"}, {"6", 7, true, true, "6000", "10.0.0.9"},
  };
  for (const Case& c : cases) {
    WriteWithType(c.type);
    core::ZCommSettings settings = Loaded();
    CommPageState state;
    CommSettingsPage(settings).Show(state);
    SCOPED_TRACE(c.type);
    EXPECT_EQ(state.typePosition, c.position);
    EXPECT_EQ(state.portEnabled, c.port);
    EXPECT_EQ(state.addressEnabled, c.address);
    EXPECT_EQ(state.portText, c.portText);
    EXPECT_EQ(state.addressText, c.addressText);
    EXPECT_EQ(state.logLevelPosition, 1);
    EXPECT_EQ(state.logFlagPosition, 1);
    EXPECT_TRUE(state.picture.empty());
  }
}

TEST_F(CommSettingsPageTest, StoredRemoteTypeLeavesTheControlsAsTheyWere) {
  for (const char* type : {"7", "8", "300"}) {
    WriteWithType(type);
    core::ZCommSettings settings = Loaded();
    CommPageState state;
    state.typePosition = 3;
    state.portText = "typed";
    CommSettingsPage(settings).Show(state);
    EXPECT_EQ(state.typePosition, 3) << type;
    EXPECT_EQ(state.portText, "typed") << type;
  }
}

TEST_F(CommSettingsPageTest, SelectTypeShowsThePerTypeDefaults) {
  core::ZCommSettings settings = Loaded();
  CommSettingsPage page(settings);
  struct Case {
    int position;
    bool port, address;
    const char* portText;
    const char* addressText;
    const char* picture;
  };
  const Case cases[] = {
      {0, false, false, "0", "", "config_auto.png"},
      {1, false, false, "0", "", "config_usb.png"},
      {2, true, false, "3", "", "config_com.png"},
      {3, true, false, "5", "", "config_bt.png"},
      {4, true, true, "6801", "192.168.8.1", "config_wifi.png"},
      {5, true, true, "6801", "192.168.9.1", "config_lan.png"},
      {6, true, true, "6802", "192.168.10.1", "config_wlan.png"},
      {7, true, true, "6803", "192.168.11.1", "config_usblan.png"},
  };
  for (const Case& c : cases) {
    CommPageState state;
    state.addressText = "old";
    page.SelectType(c.position, state);
    SCOPED_TRACE(c.position);
    EXPECT_EQ(state.typePosition, c.position);
    EXPECT_EQ(state.portEnabled, c.port);
    EXPECT_EQ(state.addressEnabled, c.address);
    EXPECT_EQ(state.portText, c.portText);
    EXPECT_EQ(state.addressText, c.addressText);
    EXPECT_EQ(state.picture, c.picture);
  }
  CommPageState untouched;
  page.SelectType(8, untouched);
  page.SelectType(-1, untouched);
  EXPECT_EQ(untouched.typePosition, -1);
}

TEST_F(CommSettingsPageTest, SaveWritesTheChosenTypeWithItsStoredFields) {
  struct Case {
    const char* name;
    int position;
    const char* port;
    const char* address;
    int logLevelPosition;
    // [COMM] Type, Port, Datarate, Timeout, IPAddr and Name as written, then [KRY] LogLevel
    const char* written;
  };
  const Case cases[] = {
      {"bluetooth", 3, "7", "", 3, "2 7 57600 1200 10.0.0.9 Bluetooth 0x03"},
      {"lan", 5, "5000", "192.168.1.20", 5, "4 5000 100M 1400 192.168.1.20 LAN 0xff"},
      {"usb keeps address", 1, "99", "", 0, "0 0 921600 1000 10.0.0.9 USB 0x00"},
      {"serial 12a", 2, "12a", "", 4, "1 12 115200 1100 10.0.0.9 COM 0x04"},
      {"serial abc", 2, "abc", "", 4, "1 0 115200 1100 10.0.0.9 COM 0x04"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(kKryIni);
    core::ZCommSettings settings = Loaded();
    CommSettingsPage page(settings);
    CommPageState state;
    page.Show(state);
    page.SelectType(c.position, state);
    state.portText = c.port;
    if (*c.address) state.addressText = c.address;
    state.logLevelPosition = c.logLevelPosition;
    testing_support::ScriptedInteraction ui;
    ui.Answer({true, false});
    EXPECT_EQ(page.Save(state, ui), Outcome::Saved);
    std::string written;
    for (const char* key : {"Type", "Port", "Datarate", "Timeout", "IPAddr", "Name"})
      written += Value("COMM", key) + " ";
    EXPECT_EQ(written + Value("KRY", "LogLevel"), c.written);
    const auto tips = ui.shown();
    ASSERT_EQ(tips.size(), 2u);
    EXPECT_EQ(tips[0].windowName, "CUSCFG");
    EXPECT_EQ(tips[0].text, "Confirm device config !");
    EXPECT_EQ(tips[1].text, "Config was saved !");
  }
}

TEST_F(CommSettingsPageTest, ConfirmationsDecideWhatHappens) {
  struct Case {
    std::initializer_list<bool> answers;
    Outcome outcome;
    bool written;
  };
  const Case cases[] = {
      {{false}, Outcome::Cancelled, false},
      {{true, true}, Outcome::EndProgram, true},  // OK then Cancel: the save test's rows
  };
  for (const Case& c : cases) {
    Write(kKryIni);
    core::ZCommSettings settings = Loaded();
    CommSettingsPage page(settings);
    CommPageState state;
    page.Show(state);
    page.SelectType(3, state);
    testing_support::ScriptedInteraction ui;
    ui.Answer(c.answers);
    EXPECT_EQ(page.Save(state, ui), c.outcome);
    EXPECT_EQ(Read() != kKryIni, c.written);
    if (!c.written) {
      EXPECT_EQ(settings.current().Type, 4);
    }
  }
}

TEST_F(CommSettingsPageTest, NoSelectedTypeKeepsTheStoredType) {
  WriteWithType("7");
  core::ZCommSettings settings = Loaded();
  CommSettingsPage page(settings);
  CommPageState state;  // the list shows nothing for type 7
  page.Show(state);
  ASSERT_EQ(state.typePosition, -1);
  testing_support::ScriptedInteraction ui;
  ui.Answer({true, false});
  EXPECT_EQ(page.Save(state, ui), Outcome::Saved);
  EXPECT_EQ(Value("COMM", "Type"), "7");
  EXPECT_EQ(Value("COMM", "Port"), "6000");
  const auto shown = ui.shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[1].windowName, "A#AEAAE");
  EXPECT_EQ(shown[1].text, "Unsupported communication interface!");
  EXPECT_EQ(shown[1].value, 0);
}

// A file the page may not write (read-only, also for root), one it cannot read and one
// behind a file in its folder's place: the page reports it and the file stays as it was.
TEST_F(CommSettingsPageTest, UnwritableFileIsReportedAndLeftAsItWas) {
  platform::WriteFile(dir_ / "not-a-folder", "");
  const std::string binary = std::string(kKryIni) + '\0';
  struct Case {
    std::string path, content;
    mode_t mode;
  } cases[] = {{path_, kKryIni, 0444},
               {dir_ / "binary.ini", binary, 0644},
               {dir_ / "not-a-folder/KRY.ini", "", 0}};
  for (const auto& c : cases) {
    if (c.mode) {
      platform::WriteFile(c.path, c.content);
      ::chmod(c.path.c_str(), c.mode);
    }
    core::ZCommSettings settings(c.path);
    settings.Load();
    CommSettingsPage page(settings);
    CommPageState state;
    page.SelectType(3, state);
    testing_support::ScriptedInteraction ui;
    ui.SetDefaultAnswer(true);
    const auto before = settings.current().Type;
    EXPECT_EQ(page.Save(state, ui), Outcome::WriteFailed) << c.path;
    EXPECT_EQ(settings.current().Type, before) << "the unsaved choice is not kept";
    EXPECT_EQ(ui.Texts("message").size(), 1u);
    EXPECT_EQ(ui.Texts("tip").size(), 1u);  // only the first confirmation
    if (c.mode) {
      EXPECT_EQ(platform::ReadFile(c.path), c.content) << c.path;
    }
  }
}

TEST(ParsePortText, TakesTheLeadingDigits) {
  const std::pair<const char*, int> cases[] = {{"", 0},
                                               {"7", 7},
                                               {"12a", 12},
                                               {"abc", 0},
                                               {" 42", 42},
                                               {"-3", -3},
                                               {"99999999999", 2147483647}};
  for (const auto& c : cases) EXPECT_EQ(device::ParsePortText(c.first), c.second) << c.first;
}

}  // namespace
