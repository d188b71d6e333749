// The dockable object list: every entity of the scene by kind and name under its group, a check
// box that shows or hides it, the selection kept in step with the host's both ways, rename (F2
// or a double-click) and each mesh's counts. The rows come from the host (objectRows); what a
// person does here goes to the host, which decides, and the list shows the result.
#pragma once

#include <QDockWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "studio/scene/object_rows.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace tessel::studio {

class StudioHost;

class ObjectListDock final : public QDockWidget {
 public:
  enum Column { kName, kVertices, kFaces, kSelected, kBoundary, kNonManifold, kDegenerate, kColumns };

  // `problem` shows what the host refused; `changed` runs after the host changed the scene here
  // (queued, never inside the list's own signal), so the window shows the result.
  ObjectListDock(StudioHost& host, std::function<void(const QString&)> problem,
                 std::function<void()> changed, QWidget* parent = nullptr);
  ~ObjectListDock() override;

  // Shows the rows, rebuilding the tree only when the entities or their order changed. Nothing
  // changes under a name being typed.
  void sync(const std::vector<ObjectRow>& rows);

  QTreeWidget* tree() const { return tree_; }
  // The row item of entity `id`, null for none.
  QTreeWidgetItem* itemOf(std::uint32_t id) const;

 private:
  void rebuild(const std::vector<ObjectRow>& rows);
  void fill(QTreeWidgetItem* item, const ObjectRow& row);
  void itemEdited(QTreeWidgetItem* item, int column);
  void selectionEdited();
  void report(const std::string& problem);
  const ObjectRow* rowOf(std::uint32_t id) const;

  StudioHost& host_;
  std::function<void(const QString&)> problem_;
  std::function<void()> changed_;
  QTreeWidget* tree_ = nullptr;
  std::vector<ObjectRow> rows_;  // as last shown
  std::map<std::uint32_t, QTreeWidgetItem*> items_;
  std::set<std::uint32_t> edited_;  // rows a person changed since the last sync
  std::map<int, bool> collapsed_;  // groups a person folded, by ObjectGroup
  bool syncing_ = false;
  bool editing_ = false;  // a name is being typed
};

}  // namespace tessel::studio
