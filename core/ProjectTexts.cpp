#include "core/ProgramTexts.h"

namespace core {

// The project's own English texts, beside the original table: ids from 1000 up, so that a
// language file written for the original table never collides with them. Each group keeps
// its own range.
const std::vector<std::pair<unsigned, std::string>>& ProjectTexts() {
  static const std::vector<std::pair<unsigned, std::string>> texts = {
      // module update results (1000-1019)
      // downloads and catalogues (1020-1039)
      // adapter use across processes and the command line (1040-1059)
      // settings files and configuration (1060-1079)
      // program update (1080-1099)
      // applications (1100-1119)
      // windows, pages and packaging (1120-1159)
      {1120, "OK"},
      {1121, "Cancel"},
      {1122, "Offline mode: this page needs the network and is not loaded."},
      {1123, "No address is configured for this page."},
      {1124, "The page could not be loaded: %s"},
      {1125, "Try again"},
      // history and signatures (1160-1199)
  };
  return texts;
}

}  // namespace core
