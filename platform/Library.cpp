#include "platform/Library.h"

#include <dlfcn.h>

#include "platform/Files.h"
#include "platform/Text.h"

namespace platform {

std::string OrdinalSymbolName(int ordinal) { return "KRY_Ordinal_" + std::to_string(ordinal); }

std::string LinuxLibraryName(const std::string& name) {
  const std::string dll = ".dll";
  if (name.size() > dll.size() && EqualsNoCase(name.substr(name.size() - dll.size()), dll) &&
      name.find('/') == std::string::npos)
    return "lib" + name.substr(0, name.size() - dll.size()) + ".so";
  return name;
}

Library::~Library() { Unload(); }

bool Library::Load(const std::string& name) {
  Unload();
  // The program's own libraries sit beside it. RPATH would find them too, but not when a
  // sanitizer runtime stands between the program and dlopen (the runtime is then the
  // caller whose search path counts).
  std::string file = LinuxLibraryName(name);
  if (file.find('/') == std::string::npos) {
    const std::string beside = JoinPath(ProgramFolder(), file);
    if (FileExists(beside)) file = beside;
  }
  handle_ = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* e = ::dlerror();
    error_ = e ? e : "unknown error";
    return false;
  }
  error_.clear();
  return true;
}

void Library::Unload() {
  if (handle_) ::dlclose(handle_);
  handle_ = nullptr;
}

void* Library::Resolve(const std::string& symbol) const {
  if (!handle_) return nullptr;
  return ::dlsym(handle_, symbol.c_str());
}

void* Library::Resolve(int ordinal) const { return Resolve(OrdinalSymbolName(ordinal)); }

}  // namespace platform
