#include "core/ZConfig.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/tests/ConfigFixture.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "tests/support/OtherAccount.h"

namespace {

using ZConfigTest = ConfigFixture;

TEST_F(ZConfigTest, DefaultsFromAMissingFileAndTheFoldersAreMade) {
  core::ZConfig c;
  ASSERT_TRUE(c.LoadFrom(root.path()));
  EXPECT_TRUE(platform::IsDirectory(root / "Download"));
  EXPECT_TRUE(platform::IsDirectory(root / "Apps"));
  EXPECT_FALSE(platform::FileExists(root / "Config/KavoraC.ini"));  // nothing written
  EXPECT_EQ(c.ManagerTittle, "Manager");
  EXPECT_EQ(c.LANGUAGE, 255);
  EXPECT_EQ(c.language, 1);
  EXPECT_EQ(c.languageFile, root / "Language/EN.xml");
  EXPECT_EQ(c.HttpCacert, root / "cacert.pem");
  EXPECT_EQ(c.KRYFwUp, root / "kry-fwup");
  EXPECT_EQ(c.KRYFwUpCheckSum, "none");
  EXPECT_EQ(c.AupdateUpdateProgram, "OrbUpdate.exe");
  EXPECT_FALSE(c.OfflineMode);
  EXPECT_EQ(c.sdk.Name, "ZADEZO");
  EXPECT_EQ(c.sdk.Version, "1.1.1");
  EXPECT_EQ(c.sdk.Date, "2015-01-01");
  EXPECT_TRUE(c.killList.empty());
  EXPECT_TRUE(c.deviceModels.empty());
}

TEST_F(ZConfigTest, LanguageRule) {
  struct Case {
    const char* languageKey;  // nullptr: not in the file
    const char* locale;
    int flag;
  } cases[] = {
      {nullptr, "zh_CN.UTF-8", 0}, {"255", "zh_CN.UTF-8", 0}, {"255", "zh_TW.UTF-8", 1},
      {"255", "de_DE.UTF-8", 1},   {"0", "en_US.UTF-8", 0},   {"1", "zh_CN.UTF-8", 1},
      {"7", "zh_CN.UTF-8", 1},     {"abc", "en_US.UTF-8", 0},
  };
  for (const auto& c : cases) {
    ::setenv("LANG", c.locale, 1);
    WriteConfig(c.languageKey ? std::string("[CONFIG]\nLANGUAGE=") + c.languageKey + "\n" : "");
    core::ZConfig config;
    config.LoadFrom(root.path());
    EXPECT_EQ(config.language, c.flag) << (c.languageKey ? c.languageKey : "-") << " " << c.locale;
    EXPECT_EQ(config.languageFile, root / (c.flag ? "Language/EN.xml" : "Language/CS.xml"));
  }
}

TEST_F(ZConfigTest, Base64OrPlainAddresses) {
  WriteConfig(
      "[CONFIG]\n"
      "UpdateURL=aHR0cDovLzEyNy4wLjAuMS91cGRhdGUuaW5p\n"  // canonical Base64
      "ApplicationURL=http://127.0.0.1/APPS.xml\n"
      "FirmwareURL=aHR0cDovLzEyNy4wLjAuMS91cGRhdGUuaW5p=\n"  // extra padding: kept
      "SaleURL=\"aHR0cDovL3NhbGU=\"\n");
  core::ZConfig c;
  c.LoadFrom(root.path());
  EXPECT_EQ(c.UpdateURL, "http://127.0.0.1/update.ini");
  EXPECT_EQ(c.ApplicationURL, "http://127.0.0.1/APPS.xml");
  EXPECT_EQ(c.FirmwareURL, "aHR0cDovLzEyNy4wLjAuMS91cGRhdGUuaW5p=");
  EXPECT_EQ(c.SaleURL, "http://sale");
}

TEST_F(ZConfigTest, ValuesAreCutToTheirCapacitiesAndNumbersReadLeniently) {
  const std::string longText(5000, 'x');
  WriteConfig("[CONFIG]\nManagerTittle=" + longText + "\nDoIPSwitchProgram=" + longText +
              "\nKRYFwUpCheckSum=" + longText +
              "\nOfflineMode= 1yes\nOEMFlag=junk\n"
              "[PK]\nPKCount=2\nPK_1=" +
              longText + "\nPK_2=Tool.exe\nPK_3=Ignored.exe\n");
  core::ZConfig c;
  c.LoadFrom(root.path());
  EXPECT_EQ(c.ManagerTittle.size(), 259u);
  EXPECT_EQ(c.DoIPSwitchProgram.size(), 127u);
  EXPECT_EQ(c.KRYFwUpCheckSum.size(), 63u);
  EXPECT_TRUE(c.OfflineMode);
  EXPECT_FALSE(c.OEMFlag);
  ASSERT_EQ(c.killList.size(), 2u);
  EXPECT_EQ(c.killList[0].size(), 63u);
  EXPECT_EQ(c.killList[1], "Tool.exe");
}

// A configuration that cannot be read fails the load (the program must not run on from
// defaults as if nothing were configured) and is never rewritten; the SDK's file gives its
// defaults as before.
TEST_F(ZConfigTest, UnreadableConfigurationFailsTheLoadAndIsNeverWritten) {
  std::string junk;
  for (int i = 0; i < 3000; ++i) junk.push_back(static_cast<char>((i * 97 + 13) & 0xFF));
  const std::string config = root / "Config/KavoraC.ini";
  struct Case {
    const char* name;
    std::string content;
    bool loads;
    const char* title;
  } cases[] = {
      {"binary", junk, false, "Manager"},
      {"empty", "", true, "Manager"},
      {"cut short", "[CONFIG]\nManagerTit", true, "Manager"},
      {"read-only", "[CONFIG]\nManagerTittle=Mine\n", true, "Mine"},
      {"a folder", "", false, "Manager"},
  };
  for (const auto& cs : cases) {
    std::filesystem::remove_all(config);
    if (std::string(cs.name) == "a folder") {
      platform::CreateFolders(config);
    } else {
      WriteConfig(cs.content);
      if (std::string(cs.name) == "read-only") ::chmod(config.c_str(), 0444);
    }
    platform::WriteFile(sdkIni(), cs.content);
    core::ZConfig c;
    EXPECT_EQ(c.LoadFrom(root.path()), cs.loads) << cs.name;
    EXPECT_EQ(c.loadError().empty(), cs.loads) << cs.name;
    EXPECT_EQ(c.ManagerTittle, cs.title) << cs.name;
    EXPECT_EQ(c.sdk.Name, "ZADEZO");
    const bool writable = cs.loads && std::string(cs.name) != "read-only";
    EXPECT_EQ(c.SaveLanguage(0), writable) << cs.name;
    if (!writable) {
      EXPECT_EQ(platform::ReadFile(config), cs.content) << cs.name;
    }
  }

  if (::geteuid() != 0) return;  // root reads every file: the last case needs another account
  std::filesystem::remove_all(config);
  WriteConfig("[CONFIG]\nManagerTittle=Mine\n");
  ::chmod(config.c_str(), 0600);
  ::chmod(root.path().c_str(), 0755);
  EXPECT_TRUE(testing_support::AsNobody([&] {
    core::ZConfig c;
    return !c.LoadFrom(root.path()) &&
           c.loadError().find("Permission denied") != std::string::npos && !c.SaveLanguage(0);
  }));
  EXPECT_EQ(platform::ReadFile(config), "[CONFIG]\nManagerTittle=Mine\n");
}

TEST_F(ZConfigTest, AHugeKillListCountIsBounded) {
  WriteConfig("[PK]\nPKCount=2000000000\nPK_1=a\n");
  core::ZConfig c;
  c.LoadFrom(root.path());
  EXPECT_EQ(c.killList.size(), static_cast<std::size_t>(core::ZConfig::kMaxKillListEntries));
  EXPECT_EQ(c.killList[0], "a");
}

TEST_F(ZConfigTest, DeviceListKeepsThirtyTwoModelsAndMatchesSerials) {
  std::string xml = "<?xml version=\"1.0\"?><Models>";
  xml +=
      "<Item Name=\"Pro\" Desc=\"with module\" SN1=\"9\" SN4=\"#\" SN5=\"1\" Image=\"pro.png\" "
      "HaveDoIP=\"1\"/>";
  xml += "<Item Name=\"Wild\" SN1=\"9x\" SN4=\"#\" SN5=\"#\" Image=\"wild.png\" HaveDoIP=\"0\"/>";
  xml += "<Item Name=\"Hash\" SN1=\"#\" SN4=\"#\" SN5=\"#\"/>";
  xml += "<NotAnItem Name=\"skip\"/>";
  for (int i = 0; i < 40; ++i) xml += "<Item Name=\"M" + std::to_string(i) + "\" SN1=\"7\"/>";
  xml += "</Models>";
  platform::WriteFile(root / "Config/DeviceList.xml", xml);
  core::ZConfig c;
  c.LoadFrom(root.path());
  ASSERT_EQ(c.deviceModels.size(), 32u);
  EXPECT_EQ(c.deviceModels[1].SN1, "9");  // first character only
  EXPECT_TRUE(c.deviceModels[0].HaveDoIP);

  struct Case {
    const char* serial;
    const char* model;  // nullptr: none
  } cases[] = {
      {"9AB310000A", "Pro"},   {"9ABZ1xxxxx", "Pro"}, {"9ABZ2xxxxx", "Wild"},
      {"#ABC1xxxxx", "Hash"},  // '#' in SN1 is a plain character
      {"8ABC1xxxxx", nullptr}, {"7", "M0"},           {"", nullptr},
  };
  for (const auto& cs : cases) {
    const auto m = c.FindDeviceModel(cs.serial);
    if (cs.model) {
      ASSERT_TRUE(m.has_value()) << cs.serial;
      EXPECT_EQ(m->Name, cs.model) << cs.serial;
    } else {
      EXPECT_FALSE(m.has_value()) << cs.serial;
    }
  }
}

TEST_F(ZConfigTest, BadDeviceListsGiveAnEmptyTable) {
  for (const char* content :
       {"", "<Models><Item Name=\"x\"", "\x01\x02 binary", "<a/><b/>", "<Models/>"}) {
    platform::WriteFile(root / "Config/DeviceList.xml", content);
    core::ZConfig c;
    c.LoadFrom(root.path());
    EXPECT_TRUE(c.deviceModels.empty()) << content;
  }
}

TEST_F(ZConfigTest, SdkIdentityUpdateInfoAndSavedLanguage) {
  platform::WriteFile(sdkIni(), "[KRY]\nName=SDK\nVersion=2.0.1\n");
  WriteConfig("[CONFIG]\nLANGUAGE=1\nManagerVersion=1.0\n");
  core::ZConfig c;
  c.LoadFrom(root.path());
  EXPECT_EQ(c.sdk.Name, "SDK");
  EXPECT_EQ(c.sdk.Version, "2.0.1");
  EXPECT_EQ(c.sdk.Date, "2015-01-01");

  platform::WriteFile(root / "Download/update.ini",
                      "[UPDATE]\nManagerVersion=1.1\nManagerURL=http://x/OrbManager.tar\n"
                      "MD5=ABC\nSize=1234\n");
  EXPECT_TRUE(c.ReadUpdateInfo(root / "Download/update.ini"));
  EXPECT_EQ(c.update.ManagerVersion, "1.1");
  EXPECT_EQ(c.update.Size, 1234);
  EXPECT_FALSE(c.ReadUpdateInfo(root / "Download/none.ini"));
  EXPECT_EQ(c.update.ManagerVersion, "");

  struct Case {
    int value;
    const char* written;
  } cases[] = {{255, "255"}, {0, "0"}, {1, "1"}, {9, "1"}};
  for (const auto& cs : cases) {
    EXPECT_TRUE(c.SaveLanguage(cs.value));
    EXPECT_EQ(platform::ReadProfileString("CONFIG", "LANGUAGE", "", 64, c.configFile), cs.written);
    EXPECT_EQ(c.LANGUAGE, cs.value);
    EXPECT_EQ(c.language, 1);  // the flag changes only at the next start
  }
  EXPECT_EQ(platform::ReadProfileString("CONFIG", "ManagerVersion", "", 64, c.configFile), "1.0");

  const std::string written = c.configFile;
  c.configFile = root.path();  // a folder: nothing can be written there, not even by root
  EXPECT_FALSE(c.SaveLanguage(0));
  EXPECT_EQ(c.LANGUAGE, 9) << "a value the file does not hold is not taken";
  c.configFile = written;
}

}  // namespace
