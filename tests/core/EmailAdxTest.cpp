#include "core/EmailAdx.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* text;
  bool valid;
};

TEST(EmailAdx, SingleAddresses) {
  const Case cases[] = {
      {"a@b.cc", true},   {"a@b.c", false},  // one character after the last "."
      {"@b.cc", false},                      // at sign first
      {"a@.cc", false},                      // "." right after the at sign
      {"a@bcc", false},                      // no "."
      {"", false},        {"a.b@c", false},  // the only "." before the at sign
      {"ab.@cc", false},  {"x.y@host.example.org", true},
      {"a@b@c.de", true},  // further at signs are not checked
      {" a@b.cc", true},   // nor blanks
      {"a@b.cc ", true},
  };
  for (const Case& c : cases) EXPECT_EQ(ValidEmailAdx(c.text), c.valid) << c.text;
}

TEST(EmailAdx, ListsAreSplitAtSemicolonsWithoutTrimming) {
  const Case cases[] = {
      {"", true},  // no parts
      {"a@b.cc", true},
      {"a@b.cc; c@d.ee", true},
      {"a@b.cc;c@d.ee", true},
      {"a@b.cc;", false},  // empty last part
      {";a@b.cc", false},
      {"a@b.cc;;c@d.ee", false},
      {"a@b.cc; c@d.e", false},
      {"a@b.cc, c@d.ee", true},  // one part: the comma is just a character
  };
  for (const Case& c : cases) EXPECT_EQ(ValidEmailList(c.text), c.valid) << c.text;
}

}  // namespace
