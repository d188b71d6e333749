// A module loaded the way a host loads one: dlopen, CreateModule2, SetHost, Initialize; and on the
// way out Terminate, Release, dlclose, in that order.
#pragma once

#include <memory>
#include <string>

#include "host/omModule2.h"

namespace tessel::studio {

class ModuleLibrary {
 public:
  // Null with *error set when the file does not load, has no entry, or its module fails to
  // initialize (the library is then closed again).
  static std::unique_ptr<ModuleLibrary> load(const std::string& path, omModuleHost& host,
                                             std::string* error);
  ~ModuleLibrary();
  ModuleLibrary(const ModuleLibrary&) = delete;
  ModuleLibrary& operator=(const ModuleLibrary&) = delete;

  omModule2* module() const { return module_; }
  const std::string& path() const { return path_; }

 private:
  ModuleLibrary() = default;
  void* handle_ = nullptr;
  omModule2* module_ = nullptr;
  bool initialized_ = false;
  std::string path_;
};

}  // namespace tessel::studio
