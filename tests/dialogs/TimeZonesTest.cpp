#include "dialogs/TimeZones.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <set>

using qmzones::ZoneNodes;
using qmzones::ZonePath;

namespace {

int Find(const QString& path) {
  for (int i = 0; i < int(ZoneNodes().size()); ++i)
    if (ZonePath(i) == path) return i;
  return -1;
}

TEST(TimeZones, TreeHasItsAreasSubAreasAndZones) {
  const auto& nodes = ZoneNodes();
  ASSERT_EQ(nodes.size(), 526u);
  int areas = 0, subAreas = 0, leaves = 0;
  std::set<QString> paths;
  for (int i = 0; i < int(nodes.size()); ++i) {
    const auto& n = nodes[i];
    if (n.parent < 0) {
      ++areas;
      EXPECT_FALSE(n.leaf) << n.text.toStdString();
    } else if (!n.leaf) {
      ++subAreas;
      EXPECT_EQ(ZonePath(n.parent), "America");
    } else {
      ++leaves;
      EXPECT_TRUE(n.depth == 2 || n.depth == 3);
    }
    EXPECT_LT(n.parent, i) << "a parent comes before its children";
    paths.insert(ZonePath(i));
  }
  EXPECT_EQ(areas, 12);
  EXPECT_EQ(subAreas, 4);
  EXPECT_EQ(leaves, 510);
  EXPECT_EQ(paths.size(), nodes.size()) << "every path is unique";
  // No area or sub-area is empty.
  for (int i = 0; i < int(nodes.size()); ++i) {
    if (nodes[i].leaf) continue;
    bool hasChild = false;
    for (const auto& n : nodes) hasChild |= n.parent == i;
    EXPECT_TRUE(hasChild) << nodes[i].text.toStdString();
  }
}

TEST(TimeZones, DisplayOrderAndPaths) {
  const auto& nodes = ZoneNodes();
  QStringList areas;
  for (const auto& n : nodes)
    if (n.parent < 0) areas << n.text;
  EXPECT_EQ(areas, QStringList({"Africa", "America", "Antarctica", "Arctic", "Asia", "Atlantic",
                                "Australia", "Etc", "Europe", "Indian", "Pacific", "US"}));
  EXPECT_EQ(ZonePath(1), "Africa/Abidjan");
  EXPECT_EQ(ZonePath(int(nodes.size()) - 1), "US/Samoa");
  EXPECT_NE(Find("Europe/London"), -1);
  EXPECT_NE(Find("America/Argentina/Cordoba"), -1);
  EXPECT_NE(Find("America/Cordoba"), -1);  // the old alias stays beside the sub-area
  EXPECT_NE(Find("Etc/GMT+0"), -1);
  EXPECT_NE(Find("America/North_Dakota/New_Salem"), -1);
  // A sub-area stands where its first zone stands: after Araguaina, before Aruba.
  const int argentina = Find("America/Argentina");
  ASSERT_NE(argentina, -1);
  EXPECT_EQ(ZonePath(argentina - 1), "America/Araguaina");
  EXPECT_EQ(ZonePath(argentina + 1), "America/Argentina/Buenos_Aires");
  EXPECT_EQ(Find("America/Aruba"), Find("America/Argentina/Ushuaia") + 1);
  // Etc keeps its listed order, not a sorted one.
  EXPECT_EQ(Find("Etc/GMT-1") + 1, Find("Etc/GMT+1"));
  EXPECT_EQ(ZonePath(-1), QString());
  EXPECT_EQ(ZonePath(int(nodes.size())), QString());
}

}  // namespace
