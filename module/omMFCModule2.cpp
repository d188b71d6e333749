#include "module/omMFCModule2.h"

#include "host/omApplication.h"
#include "platform/accelerators.h"
#include "platform/host_services.h"
#include "platform/version_info.h"
#include "resources/ui_resources.h"

namespace tessel::module {

// A host that releases the module without Terminate would otherwise leak every panel.
omMFCModule2::~omMFCModule2() = default;

bool omMFCModule2::InstallAccelerators(std::uint16_t resourceId, omAccelTable* target) {
  if (!resourceInstance_ || !target) return false;
  const std::vector<platform::ACCEL> entries =
      platform::CopyAcceleratorTable(resources::findAccelerators(resourceId));
  if (entries.empty()) return false;
  for (const platform::ACCEL& a : entries)
    target->AddAccelerator(a.cmd, static_cast<std::uint8_t>(a.key & 0xFF),
                           (a.fVirt & platform::FALT) != 0, (a.fVirt & platform::FCONTROL) != 0,
                           (a.fVirt & platform::FSHIFT) != 0);
  return true;
}

void omMFCModule2::readVersionStrings() {
  if (!resourceInstance_) return;
  platform::VersionBlock block;
  if (!platform::GetFileVersionInfo(platform::GetModuleFileName(resourceInstance_), block)) return;
  const std::string prefix = "\\StringFileInfo\\040904b0\\";
  productName_ = platform::VerQueryValue(block, prefix + "ProductName");
  productVersion_ = platform::VerQueryValue(block, prefix + "ProductVersion");
  legalNotice_ = platform::VerQueryValue(block, prefix + "LegalCopyright");
}

void omMFCModule2::buildSettingsPaths() {
  const platform::CWinApp* app = platform::AfxGetApp();
  profilePath_ = std::string("modules\\") + GetName();
  registryPath_ = "software\\" + app->m_pszRegistryKey + "\\" + app->m_pszProfileName + "\\" +
                  profilePath_;
}

}  // namespace tessel::module
