#pragma once
// What the adapter and the module did, one line per event: printed on the simulator's
// console and appended to the record file that tests read.
#include <cstdio>
#include <mutex>
#include <string>

namespace vcisim {

class SimRecord {
 public:
  SimRecord(std::string label, const std::string& path);
  ~SimRecord();
  SimRecord(const SimRecord&) = delete;
  SimRecord& operator=(const SimRecord&) = delete;

  void Add(const std::string& line);

 private:
  std::mutex mutex_;
  std::string label_;
  std::FILE* file_ = nullptr;
};

}  // namespace vcisim
