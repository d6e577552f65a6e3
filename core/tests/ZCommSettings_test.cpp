#include "core/ZCommSettings.h"

#include "core/tests/ConfigFixture.h"
#include "platform/Files.h"
#include "platform/Ini.h"

namespace {

using ZCommSettingsTest = ConfigFixture;

TEST_F(ZCommSettingsTest, ReadsTheCurrentRecordAndEverySection) {
  core::ZCommSettings defaults;
  ASSERT_TRUE(defaults.Load());
  EXPECT_FALSE(platform::FileExists(sdkIni()));  // reading writes nothing
  platform::WriteFile(sdkIni(),
                      "[KRY]\nLogLevel=0x03\nLogFlag=1\nUnlock=2\n"
                      "[COMM]\nName=ignored\nType=4\nPort=5000\nDatarate=100M\nTimeout=abc\n"
                      "Delay=7\nIPAddr=127.0.0.23 trailing\n"
                      "[COMM4]\nName=Office LAN\nType=4\nIPAddr=10.0.0.9\n"
                      "[COMM255]\nType=255\nDatarate=115200\n");
  core::ZCommSettings s;
  s.Load();
  const core::CommRecord& c = s.current();
  // "100M" reads as its number, a Timeout that is no number as 0, the address and the name
  // (from the section of the type) are cut at the first blank.
  EXPECT_EQ(std::vector<long>(
                {c.LogLevel, c.LogFlag, c.Unlock, c.Type, c.Port, c.Datarate, c.Timeout, c.Delay}),
            std::vector<long>({3, 1, 2, 4, 5000, 100, 0, 7}));
  EXPECT_EQ(c.IPAddr + " " + c.Name + " " + s.record(4).IPAddr, "127.0.0.23 Office 10.0.0.9");
  EXPECT_EQ(s.record(9).Datarate, 115200);
  EXPECT_TRUE(s.RecordOfType(255) == &s.record(9) && !s.RecordOfType(9));
}

// The SDK reads the file the program writes: its bytes stay what they always were.
TEST_F(ZCommSettingsTest, WritesTheCurrentRecordInItsFormats) {
  for (const auto& [type, logLevel, datarate, level] : {std::tuple{2, 0xffu, "921600", "0xff"},
                                                        {8, 0u, "5000M", "0x00"},
                                                        {255, 0x1ffu, "5000", "0x1ff"}}) {
    SCOPED_TRACE(type);
    platform::DeleteFile(sdkIni());
    core::ZCommSettings s;
    s.Load();
    core::CommRecord r{type, 7, 5000, 3000, -1, "192.168.1.20", logLevel, 1, 0, "LAN"};
    if (type == 2) r.Datarate = 921600;
    ASSERT_TRUE(s.Save(&r));
    EXPECT_EQ(*platform::ReadFile(sdkIni()),
              std::string("[KRY]\nLogLevel=") + level +
                  "\nLogFlag=1\nUnlock=0\n[COMM]\nName=LAN\nType=" + std::to_string(type) +
                  "\nPort=7\nDatarate=" + datarate +
                  "\nTimeout=3000\nDelay=-1\nIPAddr=192.168.1.20\n");
    core::ZCommSettings again;
    again.Load();
    r.Name = "USB";  // the name comes from the type's own section, which this file lacks
    EXPECT_EQ(again.current(), r);
  }
}

TEST_F(ZCommSettingsTest, SetCurrentAddressWritesOnlyChangesAndSaveReportsFailures) {
  platform::WriteFile(sdkIni(), "[COMM]\nType=3\nPort=6000\nIPAddr=127.0.0.23\n");
  core::ZCommSettings s;
  s.Load();
  const std::string before = *platform::ReadFile(sdkIni());
  const std::string same = "127.0.0.23", other = "127.0.0.24", tooLong(100, '1');
  EXPECT_TRUE(s.SetCurrentAddress(&same, 0) && s.SetCurrentAddress(nullptr, 6000));
  EXPECT_EQ(*platform::ReadFile(sdkIni()), before);  // unchanged, not rewritten
  EXPECT_TRUE(s.SetCurrentAddress(&other, 0) && s.current().Port == 6000);
  EXPECT_EQ(platform::ReadProfileString("COMM", "IPAddr", "", 64, sdkIni()), "127.0.0.24");
  EXPECT_TRUE(s.SetCurrentAddress(&tooLong, 0) && s.current().IPAddr.size() == 63u);

  // Saving makes its folder, and reports a file it cannot write.
  core::ZCommSettings fresh(root / "config/kry/KRY.ini");  // a fresh account: no folder yet
  fresh.Load();
  EXPECT_TRUE(fresh.Save() && platform::FileExists(root / "config/kry/KRY.ini"));
  platform::WriteFile(root / "not-a-folder", "");  // in its folder's place: root cannot write
  core::ZCommSettings blocked(root / "not-a-folder/KRY.ini");
  blocked.Load();
  EXPECT_FALSE(blocked.Save());
}

}  // namespace
