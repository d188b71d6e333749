// The View menu's display modes (smooth, flat, wireframe, points): an entry and a key each, for
// the active view. The host decides and keeps the mode per view; the entries only forward, and
// their check marks show the active view's mode when the menu opens.
#pragma once

class QMenu;

namespace tessel::studio {

class StudioHost;

// F5 to F8: keys neither the module's accelerators nor Studio's own use.
void addDisplayModes(QMenu* view, StudioHost& host);

}  // namespace tessel::studio
