#include "updater/RelativePath.h"

#include <algorithm>

namespace updater {

bool StaysInside(const std::string& relative) {
  if (relative.empty() || relative.front() == '/') return false;
  std::size_t start = 0;
  while (start <= relative.size()) {
    const std::size_t slash = std::min(relative.find('/', start), relative.size());
    if (slash - start == 2 && relative.compare(start, 2, "..") == 0) return false;
    start = slash + 1;
  }
  return true;
}

}  // namespace updater
