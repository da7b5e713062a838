#include "core/IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(bytes);
}

class IniFileTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString path = dir.path() + "/t.ini";
};

TEST_F(IniFileTest, MissingFileReadsDefaultsAndWriteCreatesIt) {
  IniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("network", "port", 53941), 53941);
  EXPECT_EQ(ini.ReadString("app", "datapath", "x"), "x");
  EXPECT_FALSE(QFile::exists(path));
  ASSERT_TRUE(ini.WriteInteger("network", "port", 1234));
  EXPECT_EQ(ReadAll(path), "[network]\r\nport=1234\r\n");
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndKeysAreReplacedInPlace) {
  WriteAll(path, "[Window]\nX=5\nY=6\n[alerts]\nemail=a@b.c\n");
  IniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("window", "x", -1), 5);
  EXPECT_EQ(ini.ReadString("ALERTS", "Email", ""), "a@b.c");
  ini.WriteInteger("window", "x", 7);
  ini.WriteInteger("window", "cx", 800);  // new key: end of its section
  ini.WriteString("clock", "sync", "1");  // new section: appended
  EXPECT_EQ(ReadAll(path),
            "[Window]\r\nx=7\r\nY=6\r\ncx=800\r\n[alerts]\r\nemail=a@b.c\r\n[clock]\r\nsync=1\r\n");
}

TEST_F(IniFileTest, ValuesAreStoredAsTypedAndIntegersParsedStrictly) {
  IniFile ini(path);
  ini.WriteString("alerts", "smtppwd", "p=ss; \"word\"");
  EXPECT_EQ(ini.ReadString("alerts", "smtppwd", ""), "p=ss; \"word\"");
  struct Case {
    const char* stored;
    int expected;
  } cases[] = {{"42", 42},   {"-1", -1}, {" 17 ", 17}, {"abc", 9},
               {"12abc", 9}, {"", 9},    {"1.5", 9},   {"99999999999", 9}};
  for (const auto& c : cases) {
    ini.WriteString("s", "k", c.stored);
    EXPECT_EQ(ini.ReadInteger("s", "k", 9), c.expected) << c.stored;
  }
  ini.WriteString("s", "b", "2");
  EXPECT_TRUE(ini.ReadBool("s", "b", false));
  ini.WriteString("s", "b", "0");
  EXPECT_FALSE(ini.ReadBool("s", "b", true));
}

TEST_F(IniFileTest, KeyOfAnotherSectionIsNotFound) {
  WriteAll(path, "[a]\r\nk=1\r\n[b]\r\nother=2\r\n");
  IniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("b", "k", -1), -1);
  EXPECT_EQ(ini.ReadInteger("c", "k", -1), -1);
}

TEST_F(IniFileTest, SeveralKeysInOneRewriteAndNoRewriteWithoutChange) {
  WriteAll(path, "[win]\r\nxrel=1\r\n[other]\r\nk=v\r\n");
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteStrings("WIN", {{"XREL", "5"}, {"yrel", "6"}, {"state", "0"}}));
  EXPECT_EQ(ReadAll(path), "[win]\r\nXREL=5\r\nyrel=6\r\nstate=0\r\n[other]\r\nk=v\r\n");
  // The same values again leave the file as it is. A rewrite puts a new file in its place, which
  // a second link to the old one would tell.
  ASSERT_EQ(
      ::link(QFile::encodeName(path).constData(), QFile::encodeName(path + ".link").constData()),
      0);
  const auto links = [&] {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_nlink) : 0;
  };
  ASSERT_EQ(links(), 2);
  ASSERT_TRUE(ini.WriteStrings("win", {{"XREL", "5"}, {"yrel", "6"}}));
  ASSERT_TRUE(ini.WriteInteger("win", "state", 0));
  EXPECT_EQ(links(), 2);
  ASSERT_TRUE(ini.WriteInteger("win", "state", 1));
  EXPECT_EQ(links(), 1);
}

}  // namespace
