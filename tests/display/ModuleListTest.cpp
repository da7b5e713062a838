#include "display/ModuleList.h"

#include <gtest/gtest.h>

TEST(ModuleList, SplitsLikeTheMonitorsWriteIt) {
  using qmmodules::SplitQuoted;
  EXPECT_EQ(SplitQuoted("", ';'), QStringList());
  EXPECT_EQ(SplitQuoted("a;b", ';'), (QStringList{"a", "b"}));
  EXPECT_EQ(SplitQuoted("  a ; b  ", ';'), (QStringList{"a", "b"}));
  EXPECT_EQ(SplitQuoted("a b;c", ';'), (QStringList{"a", "b", "c"}));
  EXPECT_EQ(SplitQuoted("\"a b\";c", ';'), (QStringList{"a b", "c"}));
  EXPECT_EQ(SplitQuoted("\"say \"\"hi\"\"\"", ';'), (QStringList{"say \"hi\""}));
  EXPECT_EQ(SplitQuoted("a;;b", ';'), (QStringList{"a", "", "b"}));
  EXPECT_EQ(SplitQuoted("a;", ';'), (QStringList{"a", ""}));
  EXPECT_EQ(SplitQuoted("\"open", ';'), (QStringList{"open"}));
}

TEST(ModuleList, Captions) {
  const auto m = qmmodules::ModuleCaptions("abc,1.2;core,2.0.1;bad;x,y,z");
  EXPECT_TRUE(m.any);
  EXPECT_EQ(m.captions, (QStringList{"ABC v1.2", "CORE v2.0.1"}));
  EXPECT_FALSE(qmmodules::ModuleCaptions("").any);
  const auto odd = qmmodules::ModuleCaptions("bad");
  EXPECT_TRUE(odd.any);
  EXPECT_TRUE(odd.captions.isEmpty());
}
