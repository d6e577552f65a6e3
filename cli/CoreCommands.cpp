// config, texts, model, md5, base64: the configuration, the texts and the codecs.
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "app/StartUp.h"
#include "cli/CommRecordJson.h"
#include "cli/Command.h"
#include "cli/PrintJson.h"
#include "cli/TerminalInteraction.h"
#include "codec/Base64.h"
#include "codec/MD5.h"
#include "core/ConfigKeys.h"
#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "core/ZCommSettings.h"
#include "core/ZConfig.h"
#include "core/ZGUILanguage.h"

namespace cli {
namespace {

using nlohmann::json;

json ModelJson(const core::DeviceModel& m) {
  return {{"Name", m.Name}, {"Desc", m.Desc},   {"SN1", m.SN1},          {"SN4", m.SN4},
          {"SN5", m.SN5},   {"Image", m.Image}, {"HaveDoIP", m.HaveDoIP}};
}

json ConfigJson(const core::ZConfig& c, const core::ZCommSettings& comm) {
  json j;
  j["configFile"] = c.configFile;
  j["root"] = c.root;
  j["configDir"] = c.configDir;
  j["downloadDir"] = c.downloadDir;
  j["appsDir"] = c.appsDir;
  j["languageFile"] = c.languageFile;
  j["deviceListFile"] = c.deviceListFile;
  using K = core::ConfigKey::Kind;
  for (const auto& key : core::ConfigKeys()) {
    switch (key.kind) {
      case K::Flag:
      case K::DecimalFlag:
        j[key.name] = c.*key.flag;
        break;
      case K::Integer:
        j[key.name] = c.*key.number;
        break;
      default:
        j[key.name] = c.*key.text;
        break;
    }
  }
  j["language"] = c.language;
  j["killList"] = c.killList;
  j["deviceModels"] = json::array();
  for (const auto& m : c.deviceModels) j["deviceModels"].push_back(ModelJson(m));
  j["sdk"] = {{"Name", c.sdk.Name}, {"Version", c.sdk.Version}, {"Date", c.sdk.Date}};
  json commJson;
  commJson["file"] = comm.path();
  commJson["current"] = CommRecordJson(comm.current());
  for (int i = 0; i < core::ZCommSettings::kSectionCount; ++i)
    commJson["COMM" + std::to_string(core::ZCommSettings::SectionNumber(i))] =
        CommRecordJson(comm.record(i));
  j["comm"] = commJson;
  return j;
}

// The CLI keeps the program's log apart, so a run beside the program never empties its log.
bool LoadConfig() {
  core::SetUpLog("orbmanager-cli.log");
  return core::ZConfig::Instance().Load();
}

int ConfigCommand(const std::vector<std::string>& args) {
  if (!args.empty()) return BadUsage("config takes no arguments");
  if (!LoadConfig()) return kFailure;
  core::ZCommSettings comm;
  comm.Load();
  PrintJson(ConfigJson(core::ZConfig::Instance(), comm));
  return kSuccess;
}

int TextsCommand(const std::vector<std::string>& args) {
  if (!args.empty()) return BadUsage("texts takes no arguments");
  if (!LoadConfig()) return kFailure;
  const auto& c = core::ZConfig::Instance();
  core::ZGUILanguage language(c.language, c.languageFile);
  if (!language.Load()) {
    std::cerr << "Load language failed！" << std::endl;
    return kFailure;
  }
  core::MergeDefaultTexts(language);
  json j = json::object();
  for (const auto& [id, text] : core::AllTexts()) j[std::to_string(id)] = text;
  PrintJson(j);
  return kSuccess;
}

int ModelCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) return BadUsage("model takes one serial number");
  if (!LoadConfig()) return kFailure;
  const auto model = core::ZConfig::Instance().FindDeviceModel(args[0]);
  PrintJson(model ? ModelJson(*model) : json(nullptr));
  return kSuccess;
}

int Md5Command(const std::vector<std::string>& args) {
  if (args.size() != 1) return BadUsage("md5 takes one file");
  const auto digest = codec::FileMD5Text(args[0]);
  if (!digest) {
    std::cerr << "orbmanager-cli: cannot read " << args[0] << std::endl;
    return kFailure;
  }
  PrintJson(*digest);
  return kSuccess;
}

int Base64Command(const std::vector<std::string>& args) {
  if (args.empty()) return BadUsage("base64 takes encode, decode or canonical TEXT");
  if (args[0] == "canonical") {
    if (args.size() != 2) return BadUsage("base64 canonical takes one text");
    PrintJson(codec::IsCanonicalBase64(args[1]));
    return kSuccess;
  }
  if (args.size() != 1 || (args[0] != "encode" && args[0] != "decode"))
    return BadUsage("base64 takes encode, decode or canonical TEXT");
  const std::string input{std::istreambuf_iterator<char>(std::cin),
                          std::istreambuf_iterator<char>()};
  const std::string output =
      args[0] == "encode" ? codec::Base64Encode(input) : codec::Base64Decode(input);
  PrintRaw(output);
  return kSuccess;
}

const Registrar kConfig({"config", "config", ConfigCommand});
const Registrar kTexts({"texts", "texts", TextsCommand});
const Registrar kModel({"model", "model SERIAL", ModelCommand});
const Registrar kMd5({"md5", "md5 FILE", Md5Command});
const Registrar kBase64({"base64", "base64 encode|decode|canonical TEXT", Base64Command});

}  // namespace
}  // namespace cli
