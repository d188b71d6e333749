// The module library's one export.
#include <new>

#include "host/om_codes.h"
#include "module/omModuleTessel.h"

extern "C" __attribute__((visibility("default"))) std::uint32_t CreateModule2(omModule2** out) {
  if (!out) return om::kCreateOutOfMemory;
  auto* module =
      new (std::nothrow) tessel::module::omModuleTessel(tessel::resources::registrationTables());
  // The host holds the module interface, which lies after the command target in the object.
  *out = module ? static_cast<omModule2*>(module) : nullptr;
  return module ? om::kCreateOk : om::kCreateOutOfMemory;
}
