#include "platform/Library.h"

#include <dlfcn.h>

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
  handle_ = ::dlopen(LinuxLibraryName(name).c_str(), RTLD_NOW | RTLD_LOCAL);
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
