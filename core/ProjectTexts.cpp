#include "core/ProgramTexts.h"

namespace core {

// The project's own English texts, beside the original table: ids from 1000 up, so that a
// language file written for the original table never collides with them. Each group keeps
// its own range.
const std::vector<std::pair<unsigned, std::string>>& ProjectTexts() {
  static const std::vector<std::pair<unsigned, std::string>> texts = {
      // module update results (1000-1019)
      {1000, "The module refused the upgrade: %s"},
      {1001, "After the update the module reports version %s instead of %s."},
      {1002, "After the update the version of the module could not be read."},
      // downloads and catalogues (1020-1039)
      // adapter use across processes and the command line (1040-1059)
      {1040, "The adapter is busy with %s. Please try again when it has finished."},
      {1041, "another procedure"},
      // settings files and configuration (1060-1079)
      {1060, "The configuration file cannot be read:"},
      // program update (1080-1099)
      // applications (1100-1119)
      {1100, "%s is being installed by another program."},
      // windows, pages and packaging (1120-1159)
      {1120, "OK"},
      {1121, "Cancel"},
      {1122, "Offline mode: this page needs the network and is not loaded."},
      {1123, "No address is configured for this page."},
      {1124, "The page could not be loaded: %s"},
      {1125, "Try again"},
      {1140, "Install version %s through the package manager."},
      {1141, "Open folder"},
      // history and signatures (1160-1199)
      // update history (1180-1199)
      {1180, "VCI firmware update"},
      {1181, "DoIP system update"},
      {1182, "Device reset"},
      {1183, "Adapter unlock"},
      {1184, "Application install"},
      {1185, "Application update"},
      {1186, "Application removal"},
      {1187, "Program update"},
      {1188, "Done"},
      {1189, "Failed"},
      {1190, "No adapter has been read yet."},
      {1191, "Nothing has been recorded for this adapter yet."},
      {1192, "Update history of %s"},
      {1193, "The installer ended without installing the application."},
      {1194, "The installer ended without removing the application."},
      {1195, "The adapter's console did not answer."},
      {1196, "The update history cannot be read."},
      {1197, "The download was cancelled."},
      {1198, "The installer could not be started."},
      {1199, "The installed version did not change."},
  };
  return texts;
}

}  // namespace core
