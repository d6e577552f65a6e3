#include "core/ZCommSettings.h"

#include "core/tests/ConfigFixture.h"
#include "platform/Files.h"
#include "platform/Ini.h"

namespace {

using ZCommSettingsTest = ConfigFixture;

TEST_F(ZCommSettingsTest, DefaultsWithoutAFile) {
  core::ZCommSettings s;
  EXPECT_EQ(s.path(), sdkIni());
  ASSERT_TRUE(s.Load());
  EXPECT_EQ(s.current().LogLevel, 0xffu);
  EXPECT_EQ(s.current().Type, 0);
  EXPECT_EQ(s.current().Timeout, 3000);
  EXPECT_EQ(s.current().IPAddr, "");
  EXPECT_EQ(s.current().Name, "USB");
  for (int i = 0; i < core::ZCommSettings::kSectionCount; ++i) {
    EXPECT_EQ(s.record(i).Datarate, 921600);
    EXPECT_EQ(s.record(i).IPAddr, "192.168.8.1");
  }
  EXPECT_FALSE(platform::FileExists(sdkIni()));
}

TEST_F(ZCommSettingsTest, ReadsTheCurrentRecordAndEverySection) {
  platform::WriteFile(sdkIni(),
                      "[KRY]\nLogLevel=0x03\nLogFlag=1\nUnlock=2\n"
                      "[COMM]\nName=ignored\nType=4\nPort=5000\nDatarate=100M\nTimeout=abc\n"
                      "Delay=7\nIPAddr=127.0.0.23 trailing\n"
                      "[COMM4]\nName=Office LAN\nType=4\nIPAddr=10.0.0.9\n"
                      "[COMM255]\nType=255\nDatarate=115200\n");
  core::ZCommSettings s;
  s.Load();
  const core::CommRecord& c = s.current();
  EXPECT_EQ(c.LogLevel, 3u);
  EXPECT_EQ(c.LogFlag, 1);
  EXPECT_EQ(c.Unlock, 2);
  EXPECT_EQ(c.Type, 4);
  EXPECT_EQ(c.Port, 5000);
  EXPECT_EQ(c.Datarate, 100);  // "100M" reads as its number
  EXPECT_EQ(c.Timeout, 0);     // present but not a number
  EXPECT_EQ(c.Delay, 7);
  EXPECT_EQ(c.IPAddr, "127.0.0.23");
  EXPECT_EQ(c.Name, "Office");  // from the section of the type, cut at the first blank
  EXPECT_EQ(s.record(4).IPAddr, "10.0.0.9");
  EXPECT_EQ(s.record(9).Type, 255);
  EXPECT_EQ(s.record(9).Datarate, 115200);
  EXPECT_EQ(s.RecordOfType(255), &s.record(9));
  EXPECT_EQ(s.RecordOfType(9), nullptr);
}

// The SDK reads the file the program writes: its bytes stay what they always were.
TEST_F(ZCommSettingsTest, WritesTheCurrentRecordInItsFormats) {
  struct Case {
    int type;
    std::uint32_t logLevel;
    const char *datarate, *level;
  } cases[] = {{2, 0xff, "921600", "0xff"},
               {4, 0x03, "5000M", "0x03"},
               {8, 0, "5000M", "0x00"},
               {255, 0x1ff, "5000", "0x1ff"}};
  for (const auto& c : cases) {
    platform::DeleteFile(sdkIni());
    core::ZCommSettings s;
    s.Load();
    core::CommRecord r;
    r.Type = c.type;
    r.Port = 7;
    r.Datarate = c.type == 2 ? 921600 : 5000;
    r.Timeout = 3000;
    r.Delay = -1;
    r.IPAddr = "192.168.1.20";
    r.LogLevel = c.logLevel;
    r.LogFlag = 1;
    r.Unlock = 0;
    r.Name = "LAN";
    ASSERT_TRUE(s.Save(&r));
    EXPECT_EQ(*platform::ReadFile(sdkIni()),
              std::string("[KRY]\nLogLevel=") + c.level +
                  "\nLogFlag=1\nUnlock=0\n[COMM]\nName=LAN\nType=" + std::to_string(c.type) +
                  "\nPort=7\nDatarate=" + c.datarate +
                  "\nTimeout=3000\nDelay=-1\nIPAddr=192.168.1.20\n")
        << c.type;
    core::ZCommSettings again;
    again.Load();
    r.Name = "USB";  // the name comes from the type's own section, which this file lacks
    EXPECT_EQ(again.current(), r) << c.type;
  }
}

TEST(CommTypes, PortAndNetworkTypes) {
  struct Case {
    int type;
    bool port, network;
  } cases[] = {{-1, false, false}, {0, true, false},  {2, true, false},   {3, false, true},
               {8, false, true},   {9, false, false}, {255, false, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(core::IsPortCommType(c.type), c.port) << c.type;
    EXPECT_EQ(core::IsNetworkCommType(c.type), c.network) << c.type;
  }
}

TEST_F(ZCommSettingsTest, SetCurrentAddressWritesOnlyChanges) {
  platform::WriteFile(sdkIni(), "[COMM]\nType=3\nPort=6000\nIPAddr=127.0.0.23\n");
  core::ZCommSettings s;
  s.Load();
  const std::string before = *platform::ReadFile(sdkIni());
  const std::string same = "127.0.0.23";
  EXPECT_TRUE(s.SetCurrentAddress(&same, 0));
  EXPECT_TRUE(s.SetCurrentAddress(nullptr, 6000));
  EXPECT_EQ(*platform::ReadFile(sdkIni()), before);  // unchanged, not rewritten

  const std::string other = "127.0.0.24";
  EXPECT_TRUE(s.SetCurrentAddress(&other, 0));
  EXPECT_EQ(s.current().IPAddr, "127.0.0.24");
  EXPECT_EQ(s.current().Port, 6000);
  EXPECT_EQ(platform::ReadProfileString("COMM", "IPAddr", "", 64, sdkIni()), "127.0.0.24");
  const std::string tooLong(100, '1');
  EXPECT_TRUE(s.SetCurrentAddress(&tooLong, 0));
  EXPECT_EQ(s.current().IPAddr.size(), 63u);
}

TEST_F(ZCommSettingsTest, SaveMakesItsFolderAndReportsAFileItCannotWrite) {
  core::ZCommSettings fresh(root / "config/kry/KRY.ini");  // a fresh account: no folder yet
  fresh.Load();
  EXPECT_TRUE(fresh.Save());
  EXPECT_TRUE(platform::FileExists(root / "config/kry/KRY.ini"));

  platform::WriteFile(root / "not-a-folder", "");  // in its folder's place: root cannot write
  core::ZCommSettings s(root / "not-a-folder/KRY.ini");
  s.Load();
  EXPECT_FALSE(s.Save());
}

}  // namespace
