#pragma once
// Dynamic libraries by name. A Windows library name ("KRY.dll") maps to its Linux form
// ("libKRY.so"); the program finds its own libraries through RPATH.
#include <string>

namespace platform {

// ELF has no export ordinals: ordinal N is the symbol KRY_Ordinal_N, here and in the
// substitute SDK.
std::string OrdinalSymbolName(int ordinal);

// "KRY.dll" -> "libKRY.so"; names without a .dll ending are used as they are.
std::string LinuxLibraryName(const std::string& name);

class Library {
 public:
  Library() = default;
  ~Library();  // unloads
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  bool Load(const std::string& name);
  void Unload();
  bool loaded() const { return handle_ != nullptr; }
  void* Resolve(const std::string& symbol) const;
  void* Resolve(int ordinal) const;
  const std::string& error() const { return error_; }

  // Leaves the library loaded for the rest of the process.
  void Release() { handle_ = nullptr; }

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace platform
