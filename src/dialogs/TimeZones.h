#pragma once

#include <QString>

#include <vector>

// The fixed time-zone tree of the remote settings dialog: areas, sub-areas and zones (IANA names,
// some of them older aliases), in the order the tree shows them.
namespace qmzones {

struct ZoneNode {
  QString text;
  int parent = -1;  // index of the parent node; -1 for an area
  int depth = 1;    // 1 for an area, 2 for its children, 3 below a sub-area
  bool leaf = false;
};

// Every node in display order; a parent always comes before its children.
const std::vector<ZoneNode>& ZoneNodes();

// The texts from the top down to the node, joined by "/" ("America/Argentina/Cordoba").
QString ZonePath(int node);

}  // namespace qmzones
