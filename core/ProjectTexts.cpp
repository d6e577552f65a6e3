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
      {1040, "The adapter is busy with %s. Please try again when it has finished."},
      {1041, "another procedure"},
      // settings files and configuration (1060-1079)
      {1060, "The configuration file cannot be read:"},
      // program update (1080-1099)
      // applications (1100-1119)
      {1100, "%s is being installed by another program."},
      // windows, pages and packaging (1120-1159)
      // history and signatures (1160-1199)
  };
  return texts;
}

}  // namespace core
