#pragma once
// The XML readers take a path, as the program hands them one: each input goes through a
// file in memory-backed storage.
#include <unistd.h>

#include <cstdio>
#include <string>

// Removes the file when the fuzzer ends.
struct FuzzFile {
  std::string path = "/dev/shm/orbfuzz-" + std::to_string(::getpid()) + ".xml";
  ~FuzzFile() { ::unlink(path.c_str()); }
};

inline std::string WriteFuzzFile(const std::uint8_t* data, std::size_t size) {
  static const FuzzFile file;
  const std::string& path = file.path;
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}
