#include "sim/vci/SimRecord.h"

#include <iostream>

namespace vcisim {

SimRecord::SimRecord(std::string label, const std::string& path) : label_(std::move(label)) {
  if (!path.empty()) file_ = std::fopen(path.c_str(), "a");
}

SimRecord::~SimRecord() {
  if (file_) std::fclose(file_);
}

void SimRecord::Add(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::cout << "[vci-sim " << label_ << "] " << line << std::endl;
  if (file_) {
    std::fprintf(file_, "%s\n", line.c_str());
    std::fflush(file_);
  }
}

}  // namespace vcisim
