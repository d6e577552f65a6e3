#pragma once
// Firmware as an earlier online run leaves it in the download folder: the VCI image
// (KRYVCI 2.0.0.0), optionally the module image (V1.1.0), and the fws.xml that offers them
// (PIDs 0x0301 and 0x0401). The test target defines VCI_SIM_PATH, which makes the images.
#include <cstdlib>
#include <string>

#include "codec/MD5.h"
#include "platform/Files.h"
#include "tests/support/Md5sum.h"

namespace testing_support {

// Writes the module's update tool to `path` and gives its md5sum digest.
inline std::string WriteModuleTool(const std::string& path) {
  platform::WriteFile(path, "#!/bin/sh\n# module update tool\n");
  return Md5sumOf(path);
}

// False when the simulator could not make the images.
inline bool WriteKeptFirmware(const std::string& download, bool withModule) {
  const auto sim = [](const std::string& arguments) {
    return std::system((VCI_SIM_PATH " " + arguments + " >/dev/null").c_str()) == 0;
  };
  const std::string vci = download + "/KRY.bin";
  if (!sim("--make-vci-image '" + vci + "' KRYVCI 2.0.0.0 2025-01-02 163840")) return false;
  std::string items =
      "<ITEM><ID>1</ID><PID>769</PID><NAME>VCI firmware</NAME><VERSION>2.0.0.0"
      "</VERSION><MD5>" +
      *codec::FileMD5Text(vci) + "</MD5><URL>http://127.0.0.1:1/KRY.bin</URL></ITEM>";
  if (withModule) {
    const std::string release = download + "/release.txt";
    const std::string image = download + "/openwrt.bin";
    platform::WriteFile(release,
                        "[release]\nopenwrt=V1.1.0\nuboot=2020.04\ndevice=DOIPMOD\n[checksum]\n"
                        "openwrt=none\n[module]\nversion=V1.1.0\ndate=20250102\n");
    if (!sim("--make-doip-image '" + image + "' '" + release + "'")) return false;
    items +=
        "<ITEM><ID>2</ID><PID>1025</PID><NAME>DoIP system</NAME><VERSION>V1.1.0</VERSION>"
        "<MD5>" +
        *codec::FileMD5Text(image) + "</MD5><URL>http://127.0.0.1:1/o.bin</URL></ITEM>";
  }
  return platform::WriteFile(download + "/fws.xml", "<FWS>" + items + "</FWS>");
}

}  // namespace testing_support
