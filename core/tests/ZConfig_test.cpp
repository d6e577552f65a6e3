#include "core/ZConfig.h"

#include <sys/stat.h>

#include <filesystem>

#include "core/tests/ConfigFixture.h"
#include "platform/Files.h"
#include "platform/Ini.h"

namespace {

using ZConfigTest = ConfigFixture;

// The LANGUAGE key, else the system's locale, picks the language file and the flag.
TEST_F(ZConfigTest, LanguageRule) {
  const std::tuple<const char*, const char*, int> cases[] = {{"", "zh_CN.UTF-8", 0},
                                                             {"255", "zh_TW.UTF-8", 1},
                                                             {"0", "en_US.UTF-8", 0},
                                                             {"7", "zh_CN.UTF-8", 1}};
  for (const auto& [languageKey, locale, flag] : cases) {
    ::setenv("LANG", locale, 1);
    WriteConfig(*languageKey ? std::string("[CONFIG]\nLANGUAGE=") + languageKey + "\n" : "");
    core::ZConfig config;
    ASSERT_TRUE(config.LoadFrom(root.path()));
    EXPECT_EQ(config.languageFile + std::to_string(config.language),
              root / (flag ? "Language/EN.xml1" : "Language/CS.xml0"));
  }
  EXPECT_TRUE(platform::IsDirectory(root / "Download") && platform::IsDirectory(root / "Apps"));
}

// Addresses in Base64 or plain, texts cut to their capacities, numbers read leniently and a
// kill list whose count is bounded.
TEST_F(ZConfigTest, ValuesAsTheFileGivesThem) {
  const std::string longText(5000, 'x');
  WriteConfig(
      "[CONFIG]\nUpdateURL=aHR0cDovLzEyNy4wLjAuMS91cGRhdGUuaW5p\n"
      "FirmwareURL=aHR0cDovLzEyNy4wLjAuMS91cGRhdGUuaW5p=\n"  // extra padding: kept
      "SaleURL=\"aHR0cDovL3NhbGU=\"\nManagerTittle=" +
      longText + "\nDoIPSwitchProgram=" + longText + "\nKRYFwUpCheckSum=" + longText +
      "\nOfflineMode= 1yes\nOEMFlag=junk\n[PK]\nPKCount=2000000000\nPK_1=" + longText +
      "\nPK_2=Tool.exe\n");
  core::ZConfig c;
  c.LoadFrom(root.path());
  EXPECT_EQ(c.UpdateURL + " " + c.FirmwareURL + " " + c.SaleURL + " " +
                std::to_string(c.OfflineMode) + std::to_string(c.OEMFlag) + " " + c.killList.at(0) +
                "|" + c.killList.at(1),
            "http://127.0.0.1/update.ini aHR0cDovLzEyNy4wLjAuMS91cGRhdGUuaW5p= http://sale 10 " +
                std::string(63, 'x') + "|Tool.exe");
  EXPECT_EQ(std::vector<std::size_t>({c.ManagerTittle.size(), c.DoIPSwitchProgram.size(),
                                      c.KRYFwUpCheckSum.size(), c.killList.size()}),
            std::vector<std::size_t>({259, 127, 63, core::ZConfig::kMaxKillListEntries}));
}

// A configuration that cannot be read fails the load (the program must not run on from
// defaults as if nothing were configured) and is never rewritten; the SDK's file gives its
// defaults as before.
TEST_F(ZConfigTest, UnreadableConfigurationFailsTheLoadAndIsNeverWritten) {
  std::string junk;
  for (int i = 0; i < 3000; ++i) junk.push_back(static_cast<char>((i * 97 + 13) & 0xFF));
  const std::string config = root / "Config/KavoraC.ini";
  const std::tuple<std::string, std::string, bool, const char*> cases[] = {
      {"binary", junk, false, "Manager"},
      {"empty", "", true, "Manager"},
      {"read-only", "[CONFIG]\nManagerTittle=Mine\n", true, "Mine"}};
  for (const auto& [name, content, loads, title] : cases) {
    SCOPED_TRACE(name);
    std::filesystem::remove_all(config);
    WriteConfig(content);
    if (name == "read-only") ::chmod(config.c_str(), 0444);
    platform::WriteFile(sdkIni(), content);
    core::ZConfig c;
    const bool loaded = c.LoadFrom(root.path());
    EXPECT_EQ(std::make_tuple(loaded, c.loadError().empty(), c.ManagerTittle, c.sdk.Name),
              std::make_tuple(loads, loads, std::string(title), std::string("ZADEZO")));
    const bool writable = loads && name != "read-only";
    EXPECT_EQ(c.SaveLanguage(0), writable);
    EXPECT_TRUE(writable || platform::ReadFile(config) == content);
  }
}

TEST_F(ZConfigTest, DeviceListSdkIdentityAndSavedLanguage) {
  std::string xml =
      "<?xml version=\"1.0\"?><Models><Item Name=\"Pro\" SN1=\"9\" SN4=\"#\" SN5=\"1\" "
      "HaveDoIP=\"1\"/><Item Name=\"Wild\" SN1=\"9x\" SN4=\"#\" SN5=\"#\"/>"
      "<Item Name=\"Hash\" SN1=\"#\" SN4=\"#\" SN5=\"#\"/><NotAnItem Name=\"skip\"/>";
  for (int i = 0; i < 40; ++i) xml += R"(<Item Name="M)" + std::to_string(i) + R"(" SN1="7"/>)";
  platform::WriteFile(root / "Config/DeviceList.xml", xml + "</Models>");
  platform::WriteFile(sdkIni(), "[KRY]\nName=SDK\nVersion=2.0.1\n");
  WriteConfig("[CONFIG]\nLANGUAGE=1\nManagerVersion=1.0\n");
  core::ZConfig c;
  c.LoadFrom(root.path());
  // SN1 keeps its first character only.
  EXPECT_TRUE(c.deviceModels.size() == 32u && c.deviceModels[1].SN1 == "9" &&
              c.deviceModels[0].HaveDoIP);
  // '#' in SN1 is a plain character; "-": no model.
  std::string models;
  for (const char* serial : {"9AB310000A", "9ABZ2xxxxx", "#ABC1xxxxx", "8ABC1xxxxx", "7", ""}) {
    const auto m = c.FindDeviceModel(serial);
    models += (m ? m->Name : "-") + " ";
  }
  EXPECT_EQ(models, "Pro Wild Hash - M0 - ");
  for (const char* bad : {"<Models><Item Name=\"x\"", "<a/><b/>"}) {
    platform::WriteFile(root / "Config/DeviceList.xml", bad);
    core::ZConfig other;
    other.LoadFrom(root.path());
    EXPECT_TRUE(other.deviceModels.empty()) << bad;
  }

  // The SDK's identity, and the language saved.
  EXPECT_EQ(c.sdk.Name + " " + c.sdk.Version + " " + c.sdk.Date, "SDK 2.0.1 2015-01-01");
  // The flag changes only at the next start.
  for (const auto& [value, written] : {std::pair{255, "255"}, {0, "0"}, {9, "1"}}) {
    EXPECT_TRUE(c.SaveLanguage(value));
    EXPECT_EQ(platform::ReadProfileString("CONFIG", "LANGUAGE", "", 64, c.configFile) + " " +
                  std::to_string(c.LANGUAGE) + " " + std::to_string(c.language),
              std::string(written) + " " + std::to_string(value) + " 1");
  }
  EXPECT_EQ(platform::ReadProfileString("CONFIG", "ManagerVersion", "", 64, c.configFile), "1.0");
  c.configFile = root.path();  // a folder: nothing can be written there, not even by root
  EXPECT_FALSE(c.SaveLanguage(0));
  EXPECT_EQ(c.LANGUAGE, 9) << "a value the file does not hold is not taken";
}

}  // namespace
