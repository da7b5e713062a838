#include "dialogs/HelpLink.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

const QString kHelp = QStringLiteral(QMSV_SOURCE_DIR "/help/");

QString Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList Pages() {
  QStringList out;
  QDirIterator it(kHelp, {"*.html", "*.htm"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) out << QDir(kHelp).relativeFilePath(it.next());
  out.sort();
  return out;
}

// Every href and src of a page.
QStringList Targets(const QString& html) {
  static const QRegularExpression attr(QStringLiteral(R"re(\b(?:href|src)\s*=\s*"([^"]*)")re"),
                                       QRegularExpression::CaseInsensitiveOption);
  QStringList out;
  for (const QRegularExpressionMatch& m : attr.globalMatch(html)) out << m.captured(1);
  return out;
}

bool HasAnchor(const QString& html, const QString& name) {
  return html.contains(QStringLiteral("id=\"%1\"").arg(name)) ||
         html.contains(QStringLiteral("name=\"%1\"").arg(name));
}

TEST(HelpPagesTest, EveryLocalLinkAndImageExists) {
  const QStringList pages = Pages();
  ASSERT_FALSE(pages.isEmpty());
  const QString root = QFileInfo(kHelp).canonicalFilePath() + "/";
  int links = 0;
  for (const QString& page : pages) {
    const QString path = kHelp + page;
    const QString html = Read(path);
    EXPECT_FALSE(html.isEmpty()) << page.toStdString();
    for (const QString& target : Targets(html)) {
      const QUrl url(target);
      if (!url.scheme().isEmpty() && url.scheme() != "file") continue;  // web and mail links
      ++links;
      const std::string where = (page + ": " + target).toStdString();
      ASSERT_FALSE(url.path().startsWith('/')) << where;
      const QString file = url.path().isEmpty()
                               ? path
                               : QFileInfo(QFileInfo(path).dir(), url.path()).absoluteFilePath();
      const QFileInfo info(file);
      EXPECT_TRUE(info.isFile()) << where;
      EXPECT_TRUE(info.canonicalFilePath().startsWith(root)) << where;
      if (info.isFile() && url.hasFragment()) {
        EXPECT_TRUE(HasAnchor(Read(file), url.fragment())) << where;
      }
    }
  }
  EXPECT_GT(links, pages.size());
}

TEST(HelpPagesTest, PagesTheProgramOpensExistAndAreInTheContents) {
  QStringList opened;
  for (const char* item :
       {"menuHelpOverview", "menuHelpDisplay", "menuHelpCharts", "menuHelpAlerts", "menuHelpCfgNet",
        "menuHelpNetOver", "menuHelpMonitors", "menuHelpFindNew", "menuHelpFindByIp",
        "menuHelpFirewalls"})
    opened << HelpMenuPage(item);
  EXPECT_FALSE(opened.contains(QString()));
  const QStringList contents = Targets(Read(kHelp + "contents.html"));
  QStringList linked;
  for (const QString& t : contents) linked << QUrl(t).path();
  for (const QString& page : Pages()) {
    if (page == "contents.html") continue;
    EXPECT_TRUE(linked.contains(page)) << "not in the contents: " << page.toStdString();
  }
  for (const QString& page : opened) EXPECT_TRUE(QFile::exists(kHelp + page)) << page.toStdString();
  EXPECT_FALSE(QFile::exists(kHelp + "index.htm"));
  // The build puts the pages beside the program.
  EXPECT_TRUE(QFile::exists(QStringLiteral(QMSV_BINARY_DIR "/help/contents.html")));
}

}  // namespace
