// The document: the entities of the scene, the selection list, the two modes and the lock. Entities own their data; the selection list holds entity ids in the order selected.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/omEntity.h"
#include "host/om_codes.h"
#include "studio/mesh.h"
#include "studio/vec3.h"

namespace tessel::studio {

// Entity state bits.
enum EntityState : std::uint32_t { kStateSelected = 1, kStateActive = 2, kStateLocked = 4 };

struct Light {
  Vec3 position{1, 1, 1};
  bool directional = true;
};

struct CoordSys {
  Vec3 origin{}, xAxis{1, 0, 0}, yAxis{0, 1, 0}, zAxis{0, 0, 1};
};

// A named scalar map over a mesh's vertices (colours, deviations, confidence of a scan).
struct VertexMap {
  std::string name;
  std::vector<float> values;  // #V
};

// The selected elements among a flag array, counted when asked.
class FlagSelection final : public omComponentSet {
 public:
  explicit FlagSelection(const std::vector<std::uint8_t>* flags = nullptr) : flags_(flags) {}
  std::int32_t GetCount() override;

 private:
  const std::vector<std::uint8_t>* flags_;
};

struct Entity final : omEntity {
  std::uint32_t GetType() override { return type; }
  const char* GetName() override { return name.c_str(); }
  void InvertSelectedComponents() override;
  omComponentSet* GetSelectedComponents() override { return GetVertexSelection(); }
  void InvertComponentSelection() override;
  omComponentSet* GetVertexSelection() override;
  omComponentSet* GetFaceSelection() override;
  omComponentSet* GetEdgeSelection() override;

  std::uint32_t id = 0;
  std::string name;
  std::uint32_t type = 0;  // om::EntityType
  bool visible = true;
  std::uint32_t state = 0;  // EntityState bits
  std::string sourceFile;
  std::unique_ptr<Mesh> mesh;  // meshes and point clouds
  std::vector<VertexMap> maps;
  int currentMap = -1;
  CoordSys frame;
  Light light;
  // The scene's component filter mask, which InvertComponentSelection follows.
  const std::uint32_t* componentMask = nullptr;

  bool isMesh() const { return type == om::kEntityPolygonMesh; }
  bool isPointCloud() const { return mesh && !isMesh(); }
  // The object filter mask this entity answers to.
  std::uint32_t filterMask() const;
  Box bounds() const;

 private:
  FlagSelection vertexSelection_, faceSelection_, edgeSelection_;
};

// Point clouds are entities with one component selection (their points).
inline constexpr std::uint32_t kEntityPointCloud = om::kEntitySingleComponentSelection;

class Scene {
 public:
  Scene();

  // [SECTION] entities
  Entity& add(std::unique_ptr<Entity> entity);
  // A unique name from `base` ("dragon", "dragon 2", ...).
  std::string uniqueName(const std::string& base) const;
  bool remove(std::uint32_t id);
  Entity* find(std::uint32_t id);
  Entity* findByName(const std::string& name);
  const std::vector<std::unique_ptr<Entity>>& entities() const { return entities_; }
  Entity& globalCoordSys() { return *entities_.front(); }
  Box bounds(bool selectedOnly = false) const;

  // [SECTION] selection
  // Entity ids, in the order selected; the last one is the active entity.
  const std::vector<std::uint32_t>& selection() const { return selection_; }
  void select(std::uint32_t id, bool on);
  void clearSelection();
  void setSelection(std::vector<std::uint32_t> ids);
  // Makes the next entity of the selection the active one (the first after the last).
  void cycleActive();

  // [SECTION] modes and brackets
  bool objectMode = true;
  std::uint32_t componentMask = om::kMaskFaces;
  void lock() { ++lockDepth_; }
  void unlock() {
    if (lockDepth_ > 0) --lockDepth_;
  }
  bool locked() const { return lockDepth_ > 0; }

 private:
  std::vector<std::unique_ptr<Entity>> entities_;
  std::vector<std::uint32_t> selection_;
  std::uint32_t nextId_ = 1;
  int lockDepth_ = 0;
};

}  // namespace tessel::studio
