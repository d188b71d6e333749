// "Custom Select": on every visible mesh, the faces that touch a fold within an angle window, or
// the degenerate faces. The found faces join each mesh's face selection and the meshes with
// selected faces become the selection.
#pragma once

#include "framework/omCommandBase.h"
#include "host/omCommand.h"

namespace tessel::selection {

struct omCmdSelectSharpEdgeData : omCommandData {
  bool sharpEdges = true;  // false: degenerate polygons
  // -cos of the fold angles bounding the window (0° and 30°).
  float minCosine = -1.0f;
  float maxCosine = -0.8660254f;
};

class omCmdSelectSharpEdge : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Custom Select"; }
  omCommandData* CreateData(std::int32_t) override;
  bool CanExecute() override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;
};

}  // namespace tessel::selection
