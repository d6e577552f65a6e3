#pragma once
// The XML readers take a path, as the program hands them one: each input goes through a
// file in memory-backed storage.
#include <unistd.h>

#include <cstdio>
#include <string>

inline std::string WriteFuzzFile(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/dev/shm/orbfuzz-" + std::to_string(::getpid()) + ".xml";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}
