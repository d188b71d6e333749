// The command-target module base: the resource link, the version strings, the settings keys and
// the property panels of the module's tools and commands, by command ID.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "module/omModuleImpl2.h"
#include "platform/CCmdTarget.h"
#include "platform/omPropertyObj.h"

class omAccelTable;

namespace tessel::module {

using PanelMap = std::map<std::uint32_t, std::unique_ptr<platform::omPropertyObj>>;

// The command target comes first, so the module interface lies after it inside the object.
class omMFCModule2 : public platform::CCmdTarget, public omModuleImpl2 {
 public:
  ~omMFCModule2() override;

  const char* GetName() override { return productName_.c_str(); }
  const char* GetVersion() override { return productVersion_.c_str(); }
  const char* GetLegalNotice() override { return legalNotice_.c_str(); }
  platform::CCmdTarget* GetCommandTarget() override { return this; }
  void SetResourceInstance(HINSTANCE instance) override { resourceInstance_ = instance; }

  // Copies accelerator table `resourceId` of the module's resources into `target`. False when
  // no resource instance is set, or the table is missing or empty.
  virtual bool InstallAccelerators(std::uint16_t resourceId, omAccelTable* target);

 protected:
  // Reads the three version strings from the module file; they stay empty without a resource
  // instance or a version block.
  void readVersionStrings();
  // "modules\NAME" and "software\KEY\PROFILE\modules\NAME".
  void buildSettingsPaths();
  // Destroys every panel.
  void destroyPanels() { panels_.clear(); }

  HINSTANCE resourceInstance() const { return resourceInstance_; }
  const std::string& registryPath() const { return registryPath_; }
  const std::string& profilePath() const { return profilePath_; }
  PanelMap& panels() { return panels_; }

 private:
  HINSTANCE resourceInstance_ = nullptr;
  std::string productName_, productVersion_, legalNotice_;
  std::string registryPath_;
  std::string profilePath_;
  PanelMap panels_;
};

}  // namespace tessel::module
