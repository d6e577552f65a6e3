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
      // settings files and configuration (1060-1079)
      // program update (1080-1099)
      // applications (1100-1119)
      // windows, pages and packaging (1120-1159)
      // history and signatures (1160-1199)
  };
  return texts;
}

}  // namespace core
