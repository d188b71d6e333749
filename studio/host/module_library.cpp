#include "studio/host/module_library.h"

#include <dlfcn.h>

#include "host/om_codes.h"

namespace tessel::studio {

std::unique_ptr<ModuleLibrary> ModuleLibrary::load(const std::string& path, omModuleHost& host,
                                                   std::string* error) {
  std::unique_ptr<ModuleLibrary> lib(new ModuleLibrary);
  lib->path_ = path;
  lib->handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib->handle_) {
    *error = std::string("cannot load module: ") + ::dlerror();
    return nullptr;
  }
  auto create = reinterpret_cast<CreateModule2Fn>(::dlsym(lib->handle_, "CreateModule2"));
  if (!create) {
    *error = path + ": not a module (no CreateModule2)";
    return nullptr;
  }
  std::uint32_t result = create(&lib->module_);
  if (result != om::kCreateOk || !lib->module_) {
    lib->module_ = nullptr;
    *error = path + ": CreateModule2 failed with " + std::to_string(result);
    return nullptr;
  }
  lib->module_->AddRef();
  lib->module_->SetHost(&host);
  lib->module_->SetResourceInstance(lib->handle_);
  if (!lib->module_->Initialize()) {
    *error = path + ": the module did not initialize";
    return nullptr;
  }
  lib->initialized_ = true;
  return lib;
}

ModuleLibrary::~ModuleLibrary() {
  if (module_) {
    if (initialized_) module_->Terminate();
    module_->Release();
  }
  if (handle_) ::dlclose(handle_);
}

}  // namespace tessel::studio
