#include "studio/window/object_list_dock.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QShortcut>
#include <QTreeWidget>

#include <algorithm>

#include "studio/host/studio_host.h"

namespace tessel::studio {
namespace {

constexpr int kIdRole = Qt::UserRole;
constexpr int kGroupRole = Qt::UserRole + 1;

QString count(std::size_t n) { return QString::number(static_cast<qulonglong>(n)); }

QString selectedText(const ObjectRow& row) {
  if (!row.counts) return {};
  const MeshCounts& c = *row.counts;
  if (row.group != ObjectGroup::Meshes)
    return c.selectedVertices ? count(c.selectedVertices) + " points" : QString();
  QStringList parts;
  if (c.selectedFaces) parts << count(c.selectedFaces) + " faces";
  if (c.selectedVertices) parts << count(c.selectedVertices) + " vertices";
  if (c.selectedEdges) parts << count(c.selectedEdges) + " edges";
  return parts.join(", ");
}

}  // namespace

ObjectListDock::ObjectListDock(StudioHost& host, std::function<void(const QString&)> problem,
                               std::function<void()> changed, QWidget* parent)
    : QDockWidget("Objects", parent),
      host_(host),
      problem_(std::move(problem)),
      changed_(std::move(changed)) {
  setObjectName("objects");
  setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable |
              QDockWidget::DockWidgetClosable);
  tree_ = new QTreeWidget(this);
  tree_->setObjectName("object-tree");
  tree_->setColumnCount(kColumns);
  tree_->setHeaderLabels(
      {"Name", "Vertices", "Faces", "Selected", "Boundary", "Non-manifold", "Degenerate"});
  const char* const tips[kColumns] = {
      "Check to show, uncheck to hide; F2 or a double-click renames",
      "Vertices (a point cloud's points)",
      "Faces",
      "Selected components",
      "Boundary edges: edges with one face, around holes and open borders",
      "Non-manifold edges: edges with three faces or more",
      "Degenerate faces: faces without area"};
  for (int col = 0; col < kColumns; ++col) tree_->headerItem()->setToolTip(col, tips[col]);
  tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);  // F2 and double-click, below
  tree_->setUniformRowHeights(true);
  tree_->setAlternatingRowColors(true);
  tree_->header()->setStretchLastSection(false);
  tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  setWidget(tree_);
  setMinimumWidth(240);

  connect(tree_, &QTreeWidget::itemChanged, this,
          [this](QTreeWidgetItem* item, int column) { itemEdited(item, column); });
  connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] { selectionEdited(); });
  auto rename = [this](QTreeWidgetItem* item) {
    if (!item || !item->data(kName, kIdRole).isValid()) return;
    editing_ = true;
    tree_->editItem(item, kName);
  };
  connect(tree_->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
          [this] { editing_ = false; });
  connect(tree_, &QTreeWidget::itemDoubleClicked, this,
          [rename](QTreeWidgetItem* item, int) { rename(item); });
  auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), tree_);
  f2->setContext(Qt::WidgetShortcut);
  connect(f2, &QShortcut::activated, this, [this, rename] { rename(tree_->currentItem()); });
  auto folded = [this](QTreeWidgetItem* item, bool on) {
    if (item->data(kName, kGroupRole).isValid()) collapsed_[item->data(kName, kGroupRole).toInt()] = on;
  };
  connect(tree_, &QTreeWidget::itemCollapsed, this,
          [folded](QTreeWidgetItem* item) { folded(item, true); });
  connect(tree_, &QTreeWidget::itemExpanded, this,
          [folded](QTreeWidgetItem* item) { folded(item, false); });
}

ObjectListDock::~ObjectListDock() {
  // The tree outlives this object's own part as the widgets go: what it says then is no edit.
  tree_->disconnect(this);
  tree_->itemDelegate()->disconnect(this);
}

QTreeWidgetItem* ObjectListDock::itemOf(std::uint32_t id) const {
  auto it = items_.find(id);
  return it == items_.end() ? nullptr : it->second;
}

const ObjectRow* ObjectListDock::rowOf(std::uint32_t id) const {
  for (const ObjectRow& r : rows_)
    if (r.id == id) return &r;
  return nullptr;
}

void ObjectListDock::sync(const std::vector<ObjectRow>& rows) {
  if (editing_) return;
  auto sameEntities = [&] {
    if (rows.size() != rows_.size()) return false;
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].id != rows_[i].id || rows[i].group != rows_[i].group) return false;
    return true;
  };
  syncing_ = true;
  if (!sameEntities()) {
    rebuild(rows);
  } else {
    // A scene of many curves refreshes at every pointer move: rows as shown are left alone.
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (QTreeWidgetItem* item = itemOf(rows[i].id);
          item && (edited_.count(rows[i].id) || !(rows[i] == rows_[i])))
        fill(item, rows[i]);
  }
  rows_ = rows;
  edited_.clear();
  // The host's selection, with its active entity as the current row.
  for (const ObjectRow& r : rows_)
    if (QTreeWidgetItem* item = itemOf(r.id)) {
      if (item->isSelected() != r.selected) item->setSelected(r.selected);
      if (r.active && tree_->currentItem() != item)
        tree_->setCurrentItem(item, kName, QItemSelectionModel::NoUpdate);
    }
  syncing_ = false;
}

void ObjectListDock::rebuild(const std::vector<ObjectRow>& rows) {
  tree_->clear();
  items_.clear();
  QTreeWidgetItem* group = nullptr;
  for (const ObjectRow& r : rows) {
    if (!group || group->data(kName, kGroupRole).toInt() != static_cast<int>(r.group)) {
      group = new QTreeWidgetItem(tree_);
      group->setData(kName, kGroupRole, static_cast<int>(r.group));
      group->setFlags(Qt::ItemIsEnabled);
      QFont bold = group->font(kName);
      bold.setBold(true);
      group->setFont(kName, bold);
      group->setFirstColumnSpanned(true);
      group->setExpanded(!collapsed_[static_cast<int>(r.group)]);
    }
    auto* item = new QTreeWidgetItem(group);
    item->setData(kName, kIdRole, r.id);
    items_[r.id] = item;
    fill(item, r);
  }
  // Group titles carry their counts.
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* g = tree_->topLevelItem(i);
    const auto kind = static_cast<ObjectGroup>(g->data(kName, kGroupRole).toInt());
    g->setText(kName, QString("%1 (%2)").arg(groupTitle(kind)).arg(g->childCount()));
  }
}

void ObjectListDock::fill(QTreeWidgetItem* item, const ObjectRow& r) {
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
  if (r.showable) flags |= Qt::ItemIsUserCheckable;
  if (item->flags() != flags) item->setFlags(flags);
  const QString name = QString::fromStdString(r.name);
  if (item->text(kName) != name) item->setText(kName, name);
  if (r.showable) {
    const Qt::CheckState state = r.visible ? Qt::Checked : Qt::Unchecked;
    if (item->data(kName, Qt::CheckStateRole).isNull() || item->checkState(kName) != state)
      item->setCheckState(kName, state);
  }
  // Hidden entities are greyed, as a view leaves them out.
  item->setForeground(kName, tree_->palette().brush(r.visible ? QPalette::Active : QPalette::Disabled,
                                                    QPalette::Text));
  const bool mesh = r.group == ObjectGroup::Meshes;
  QString cells[kColumns];
  if (r.counts) {
    const MeshCounts& c = *r.counts;
    cells[kVertices] = count(c.vertices);
    if (mesh) {
      cells[kFaces] = count(c.faces);
      cells[kBoundary] = count(c.boundaryEdges);
      cells[kNonManifold] = count(c.nonManifoldEdges);
      cells[kDegenerate] = count(c.degenerateFaces);
    }
    cells[kSelected] = selectedText(r);
  }
  for (int col = kVertices; col < kColumns; ++col) {
    if (item->text(col) != cells[col]) item->setText(col, cells[col]);
    item->setTextAlignment(col, Qt::AlignRight | Qt::AlignVCenter);
  }
  const QString tip = QString::fromStdString(describeRow(r)) +
                      (r.showable ? "" : "\nShown while its panels show it (or its group).") +
                      "\nF2 or a double-click renames it; Delete deletes the selection.";
  for (int col = 0; col < kColumns; ++col) item->setToolTip(col, tip);
}

void ObjectListDock::itemEdited(QTreeWidgetItem* item, int column) {
  if (syncing_ || column != kName || !item->data(kName, kIdRole).isValid()) return;
  const std::uint32_t id = item->data(kName, kIdRole).toUInt();
  const ObjectRow* row = rowOf(id);
  if (!row) return;
  // Shown afresh at the next sync whatever the host decides: a refused name goes back.
  edited_.insert(id);
  std::string problem;
  if (row->showable && (item->checkState(kName) == Qt::Checked) != row->visible)
    problem = host_.showObject(id, item->checkState(kName) == Qt::Checked);
  else if (item->text(kName).toStdString() != row->name)
    problem = host_.renameObject(id, item->text(kName).toStdString());
  else
    return;
  report(problem);
}

void ObjectListDock::selectionEdited() {
  if (syncing_) return;
  // The host's order is kept for rows still selected; rows added come after, the current row
  // last, so the row clicked last becomes the active entity as a pick's would.
  std::vector<std::uint32_t> chosen, added;
  for (std::uint32_t id : host_.scene().selection())
    if (QTreeWidgetItem* item = itemOf(id); item && item->isSelected()) chosen.push_back(id);
  const QTreeWidgetItem* current = tree_->currentItem();
  for (QTreeWidgetItem* item : tree_->selectedItems()) {
    if (!item->data(kName, kIdRole).isValid()) continue;
    const std::uint32_t id = item->data(kName, kIdRole).toUInt();
    if (std::find(chosen.begin(), chosen.end(), id) == chosen.end() && item != current)
      added.push_back(id);
  }
  chosen.insert(chosen.end(), added.begin(), added.end());
  if (current && current->isSelected() && current->data(kName, kIdRole).isValid()) {
    const std::uint32_t id = current->data(kName, kIdRole).toUInt();
    if (std::find(chosen.begin(), chosen.end(), id) == chosen.end()) chosen.push_back(id);
  }
  report(host_.selectObjects(chosen));
}

void ObjectListDock::report(const std::string& problem) {
  if (!problem.empty() && problem_) problem_(QString::fromStdString(problem));
  // Shown once the list's own signal has returned: a rebuild would delete the items it holds.
  QMetaObject::invokeMethod(this, [this] { if (changed_) changed_(); }, Qt::QueuedConnection);
}

}  // namespace tessel::studio
