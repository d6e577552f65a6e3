#pragma once
// An application installer for tests: it appends its parameters to runs.log beside itself;
// "i" writes AppInfo.ini (Version=VERSION, Param=--demo, WorkDir = its folder) and a
// program "app" that writes its arguments to "started" in its working folder; "u" removes
// both.
#include <string>

namespace testing_support {

inline std::string RecordingInstaller(const std::string& version = "2.0") {
  return "#!/bin/sh\n"
         "here=$(cd \"$(dirname \"$0\")\" && pwd)\n"
         "echo \"$*\" >>\"$here/runs.log\"\n"
         "case \"$1\" in\n"
         "  i) printf '[AppInfo]\\nVersion=" +
         version +
         "\\nTarget=%s/app\\nWorkDir=%s\\nParam=--demo\\nInstalled=1\\n' \"$here\" \"$here\" "
         ">\"$here/AppInfo.ini\"\n"
         "     printf '#!/bin/sh\\necho \"$@\" >\"$PWD/started\"\\n' >\"$here/app\"; chmod +x "
         "\"$here/app\" ;;\n"
         "  u) rm -f \"$here/AppInfo.ini\" \"$here/app\" ;;\n"
         "esac\n";
}

}  // namespace testing_support
