#include "core/IniFile.h"
#include "display/TFrameClient.h"
#include "display/TformMain.h"
#include "display/WindowArrange.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env = qmtest::TempEnv(dir);
    qmtest::WriteTestSettings(env, settings);
    main = std::make_unique<TformMain>(TSupervisor::Options{{"test"}, env, false});
    main->show();
    ASSERT_TRUE(qmtest::WaitFor([&] { return Server()->BoundPort() != 0; }));
    ASSERT_TRUE(qmtest::WaitFor([&] { return main->panelMain()->width() > 300; }));
  }
  void TearDown() override { main.reset(); }

  TThreadServer* Server() { return main->Supervisor().Server(); }
  QString DataPath() { return main->Supervisor().Cfg().DataPath(); }

  // A monitor that has identified itself and has its window.
  std::unique_ptr<qmtest::Client> Monitor(const QString& id, const QString& name) {
    auto c = std::make_unique<qmtest::Client>(Server()->BoundPort());
    EXPECT_EQ(c->ReadLines(1), QList<QByteArray>{"cnx"});
    c->Send(QString("cpse&%1&%2&core,1.0\r\n").arg(id, name).toLatin1());
    EXPECT_TRUE(qmtest::WaitFor([&] { return Frame(id) != nullptr; })) << id.toStdString();
    c->ReadFor(300);  // the stream and download requests after the handshake
    return c;
  }
  TFrameClient* Frame(const QString& id) {
    for (TFrameClient* f : main->Frames())
      if (f->ID() == id) return f;
    return nullptr;
  }
  QStringList GridColumn(int col) {
    QStringList out;
    for (int r = 0; r < main->gridClients()->rowCount(); ++r) {
      const QTableWidgetItem* item = main->gridClients()->item(r, col);
      out << (item ? item->text() : QString());
    }
    return out;
  }
  int GridRow(const QString& name) { return int(GridColumn(0).indexOf(name)); }
  static QList<QByteArray> Lines(qmtest::Client& c, int ms = 600) {
    QList<QByteArray> out;
    for (const QByteArray& l : c.ReadFor(ms).split('\n'))
      if (!l.trimmed().isEmpty()) out << l.trimmed();
    return out;
  }
  void MakeFolder(const QString& id, const QString& name, const QString& type) {
    ASSERT_TRUE(QDir().mkpath(DataPath() + id));
    IniFile ini(DataPath() + id + "/term.cfg");
    ini.WriteString("head", "name", name);
    ini.WriteString("head", "type", type);
  }

  std::vector<std::pair<QString, QString>> settings;  // "section/key" -> value, before SetUp
  QTemporaryDir dir;
  TCfg::Env env;
  std::unique_ptr<TformMain> main;
};

TEST_F(MainWindowTest, TableFollowsConnections) {
  EXPECT_EQ(GridColumn(0), QStringList{"No connections"});
  EXPECT_EQ(main->panelStatCnx()->text(), "Connections: 0");

  // Connected but not identified yet.
  qmtest::Client raw(Server()->BoundPort());
  ASSERT_EQ(raw.ReadLines(1), QList<QByteArray>{"cnx"});
  ASSERT_TRUE(qmtest::WaitFor([&] { return GridColumn(0) == QStringList{"Connecting..."}; }));
  EXPECT_EQ(GridColumn(1), QStringList{"0"});
  EXPECT_EQ(main->panelStatCnx()->text(), "Connections: 1");

  raw.Send("cpse&SE1&Gate&core,1.0\r\n");
  ASSERT_TRUE(qmtest::WaitFor([&] { return GridColumn(0) == QStringList{"Gate"}; }));
  // The monitor that has just identified itself is the current row.
  EXPECT_EQ(main->gridClients()->currentRow(), 0);

  // Gone: its folder keeps it in the table as a known monitor, with its stored name.
  raw.Close();
  ASSERT_TRUE(qmtest::WaitFor([&] { return GridColumn(1) == QStringList{"-"}; }));
  EXPECT_EQ(GridColumn(0), QStringList{"Gate"});
  EXPECT_TRUE(main->Frames().empty());
  EXPECT_EQ(main->panelStatCnx()->text(), "Connections: 0");
}

TEST_F(MainWindowTest, RowClicksSelectWindows) {
  auto a = Monitor("A1", "Alpha");
  auto b = Monitor("B1", "Bravo");
  ASSERT_TRUE(qmtest::WaitFor([&] { return GridColumn(0) == QStringList({"Alpha", "Bravo"}); }));
  const QPoint somewhere(10, 10);
  main->gridClientsMouseUp(Qt::LeftButton, GridRow("Alpha"), somewhere);
  EXPECT_TRUE(Frame("A1")->Selected());
  EXPECT_FALSE(Frame("B1")->Selected());
  EXPECT_EQ(main->gridClients()->currentRow(), GridRow("Alpha"));
  // Selecting a window by itself deselects the others and moves the current row.
  Frame("B1")->FrameActivated(true);
  EXPECT_FALSE(Frame("A1")->Selected());
  EXPECT_EQ(main->gridClients()->currentRow(), GridRow("Bravo"));
  // The right button shows the window's own menu.
  main->gridClientsMouseUp(Qt::RightButton, GridRow("Alpha"), somewhere);
  EXPECT_TRUE(Frame("A1")->popupClient()->isVisible());
  Frame("A1")->popupClient()->hide();
  EXPECT_FALSE(main->popupDeadMonitor()->isVisible());
}

TEST_F(MainWindowTest, RowsWithAlarmsArePaintedRedAcross) {
  auto quiet = Monitor("Q1", "Quiet");
  auto loud = Monitor("L1", "Loud");
  loud->Send("alarms&5;60\r\n");  // two alarms within the chart period
  ASSERT_TRUE(qmtest::WaitFor([&] { return GridColumn(1) == QStringList({"2", "0"}); }));
  QTableWidget* grid = main->gridClients();
  QApplication::processEvents();
  const QImage image = grid->viewport()->grab().toImage();
  // Sample each cell near its right edge, clear of the text.
  auto colour = [&](int row, int col) {
    const QRect cell = grid->visualRect(grid->model()->index(row, col));
    return QColor(image.pixel(cell.right() - 2, cell.center().y()));
  };
  EXPECT_EQ(colour(0, 0), QColor(255, 0, 0));
  EXPECT_EQ(colour(0, 1), QColor(255, 0, 0));
  EXPECT_EQ(colour(1, 0), QColor(Qt::white));
  EXPECT_EQ(colour(1, 1), QColor(Qt::white));
  // The window shows the count with the next alarm timer tick.
  EXPECT_TRUE(qmtest::WaitFor([&] { return Frame("L1")->AlarmCountShown() == 2; }));
  EXPECT_TRUE(Frame("L1")->TitleRed());
  EXPECT_FALSE(Frame("Q1")->TitleRed());
}

TEST_F(MainWindowTest, DeleteMonitorMovesTheFolderAside) {
  MakeFolder("OLD1", "Old garden", "Quietmark-NG");
  ASSERT_TRUE(QDir().mkpath(DataPath() + "__OLD1"));  // deleted once before
  main->UpdateClientTable(true);
  ASSERT_EQ(GridColumn(0), QStringList{"Old garden"});
  EXPECT_EQ(GridColumn(1), QStringList{"-"});

  main->gridClientsMouseUp(Qt::LeftButton, 0, QPoint(10, 10));
  EXPECT_FALSE(main->popupDeadMonitor()->isVisible());  // the left button does nothing here
  main->gridClientsMouseUp(Qt::RightButton, 0, QPoint(10, 10));
  EXPECT_TRUE(main->popupDeadMonitor()->isVisible());
  EXPECT_EQ(main->menuDMType()->text(), "Type: Quietmark-NG");
  EXPECT_EQ(main->menuDMID()->text(), "ID: OLD1");
  main->popupDeadMonitor()->hide();

  QString asked;
  main->confirmDelete = [&](const QString& text) {
    asked = text;
    return false;
  };
  main->menuDMDeleteClick();
  EXPECT_TRUE(asked.contains("Name: Old garden"));
  EXPECT_TRUE(asked.contains("ID: OLD1"));
  EXPECT_TRUE(QFileInfo(DataPath() + "OLD1").isDir());  // "No" keeps it

  main->confirmDelete = [](const QString&) { return true; };
  main->menuDMDeleteClick();
  EXPECT_TRUE(QFileInfo(DataPath() + "__OLD1[001]/term.cfg").exists());
  main->UpdateClientTable(false);
  EXPECT_EQ(GridColumn(0), QStringList{"No connections"});
}

TEST_F(MainWindowTest, DeleteNeverMovesAConnectedMonitor) {
  MakeFolder("OLD1", "Old garden", "Quietmark-NG");
  main->UpdateClientTable(true);
  main->gridClientsMouseUp(Qt::RightButton, 0, QPoint(10, 10));
  main->popupDeadMonitor()->hide();
  // While the menu was open a monitor connected and now holds the remembered entry.
  auto m = Monitor("A0", "Aardvark");
  main->UpdateClientTable(true);
  ASSERT_EQ(GridColumn(0).first(), "Aardvark");
  bool asked = false;
  main->confirmDelete = [&](const QString&) { return asked = true; };
  main->menuDMDeleteClick();
  EXPECT_FALSE(asked);
  EXPECT_TRUE(QFileInfo(DataPath() + "A0").isDir());
}

TEST_F(MainWindowTest, HeadingClickSortsAndIsStored) {
  main->gridClientsFixedCellClick(0);
  EXPECT_EQ(main->Supervisor().Cfg().SortBy(), "name");
  EXPECT_TRUE(main->gridClients()->horizontalHeaderItem(0)->font().bold());
  EXPECT_FALSE(main->gridClients()->horizontalHeaderItem(1)->font().bold());
  main->gridClientsFixedCellClick(1);
  EXPECT_EQ(IniFile(env.appDataFolder + "settings.ini").ReadString("alarms", "sortby", ""),
            "alarm");
  EXPECT_TRUE(main->gridClients()->horizontalHeaderItem(1)->font().bold());
}

TEST_F(MainWindowTest, HiddenTableStillCountsConnections) {
  auto m = Monitor("A1", "Alpha");
  main->menuClientsClick();
  EXPECT_TRUE(main->panelClients()->isHidden());
  auto n = Monitor("B1", "Bravo");
  ASSERT_TRUE(qmtest::WaitFor([&] { return main->panelStatCnx()->text() == "Connections: 2"; }));
  main->menuClientsClick();
  EXPECT_FALSE(main->panelClients()->isHidden());
  EXPECT_EQ(GridColumn(0), QStringList({"Alpha", "Bravo"}));
}

TEST_F(MainWindowTest, TileAndAlign) {
  std::vector<std::unique_ptr<qmtest::Client>> monitors;
  for (const char* id : {"E", "c", "A", "d", "B"}) monitors.push_back(Monitor(id, id));
  main->TileWindows();
  const QSize panel = main->panelMain()->size();
  const std::vector<QRect> cells = qmarrange::TileCells(5, panel);
  const char* order[] = {"A", "B", "c", "d", "E"};  // by title, case ignored
  for (int i = 0; i < 5; ++i) {
    TFrameClient* f = Frame(order[i]);
    EXPECT_EQ(f->GetWinState(), wsNorm);
    EXPECT_EQ(f->geometry(), cells[std::size_t(i)]) << order[i];
  }
  ASSERT_TRUE(main->Supervisor().Storage().WaitIdle(10000));
  const IniFile ini(DataPath() + "c/term.cfg");
  EXPECT_EQ(ini.ReadInteger("win", "xrel", -1), qmgeom::ToRel(cells[2].x(), panel.width(), 0));
  EXPECT_EQ(ini.ReadInteger("win", "cyrel", -1),
            qmgeom::ToRel(cells[2].height(), panel.height(), 0));

  // Compact all, then align: one column from the top left.
  main->menuCompactClick();
  for (TFrameClient* f : main->Frames()) EXPECT_EQ(f->size(), QSize(134, 37));
  Frame("B")->SetWinState(wsNorm);  // not compact: stays where it is
  const QPoint bAt = Frame("B")->pos();
  main->AlignCompactWindows();
  EXPECT_EQ(Frame("A")->pos(), QPoint(0, 0));
  EXPECT_EQ(Frame("c")->pos(), QPoint(0, 37));
  EXPECT_EQ(Frame("d")->pos(), QPoint(0, 74));
  EXPECT_EQ(Frame("E")->pos(), QPoint(0, 111));
  EXPECT_EQ(Frame("B")->pos(), bAt);
  ASSERT_TRUE(main->Supervisor().Storage().WaitIdle(10000));
  EXPECT_EQ(IniFile(DataPath() + "E/term.cfg").ReadInteger("win", "state", -1), 0);

  main->menuExpandAllClick();
  for (TFrameClient* f : main->Frames()) EXPECT_EQ(f->GetWinState(), wsNorm);
}

TEST_F(MainWindowTest, MatchWindowSizes) {
  auto a = Monitor("A", "A");
  auto b = Monitor("B", "B");
  auto c = Monitor("C", "C");
  Frame("A")->SetWinSize(300, 250);
  Frame("C")->SetWinState(wsCompact);
  const QSize bSize = Frame("B")->size();
  for (TFrameClient* f : main->Frames()) f->FrameActivated(false);
  main->menuMatchSizeClick();  // nothing selected: nothing happens
  EXPECT_EQ(Frame("B")->size(), bSize);
  Frame("A")->FrameActivated(true);
  main->menuMatchSizeClick();
  EXPECT_EQ(Frame("B")->size(), QSize(300, 250));
  EXPECT_EQ(Frame("C")->size(), QSize(134, 37));  // compact windows are left alone
}

TEST_F(MainWindowTest, WindowsFollowTheMainAreaSize) {
  auto a = Monitor("A", "A");
  TFrameClient* f = Frame("A");
  f->SetWinPos(main->panelMain()->width() / 2, main->panelMain()->height() / 2);
  const qmgeom::RelGeometry rel = f->RelGeometry();
  main->resize(main->width() + 200, main->height() + 100);
  ASSERT_TRUE(qmtest::WaitFor([&] {
    return f->x() == qmgeom::ToPixels(rel.x, main->panelMain()->width()) &&
           f->width() == qmgeom::ToPixels(rel.cx, main->panelMain()->width());
  }));
  EXPECT_EQ(f->y(), qmgeom::ToPixels(rel.y, main->panelMain()->height()));
  // Hiding the table widens the main area, and the windows follow.
  const int before = main->panelMain()->width();
  main->menuClientsClick();
  ASSERT_TRUE(qmtest::WaitFor([&] { return main->panelMain()->width() > before; }));
  EXPECT_EQ(f->x(), qmgeom::ToPixels(rel.x, main->panelMain()->width()));
}

TEST_F(MainWindowTest, MinimiseAndRestoreStopAndStartTheStreams) {
  auto m = Monitor("A", "A");
  main->SetMinimised(true);
  EXPECT_TRUE(main->Supervisor().Runstat().bMinimised);
  EXPECT_EQ(Lines(*m), (QList<QByteArray>{"live&stop&0", "live1s&stop"}));
  EXPECT_FALSE(main->btnLive()->isChecked());
  main->SetMinimised(true);  // a second time changes nothing
  EXPECT_TRUE(Lines(*m, 300).isEmpty());
  main->SetMinimised(false);
  EXPECT_EQ(Lines(*m), (QList<QByteArray>{"live&start&1", "getleqbuf", "live1s&start"}));
  EXPECT_TRUE(main->btnLive()->isChecked());
  EXPECT_TRUE(main->btnHistory()->isChecked());
  main->SetMinimised(false);
  EXPECT_TRUE(Lines(*m, 300).isEmpty());

  // Only the streams that were on come back.
  main->btnHistory()->click();
  EXPECT_EQ(Lines(*m), QList<QByteArray>{"live1s&stop"});
  main->SetMinimised(true);
  EXPECT_EQ(Lines(*m), (QList<QByteArray>{"live&stop&0", "live1s&stop"}));
  main->SetMinimised(false);
  EXPECT_EQ(Lines(*m), (QList<QByteArray>{"live&start&1", "live1s&stop"}));
  EXPECT_FALSE(main->btnHistory()->isChecked());
}

TEST_F(MainWindowTest, SystemMinimiseCommandPausesTheStreams) {
  auto m = Monitor("A", "A");
  main->setWindowState(Qt::WindowMinimized);
  ASSERT_TRUE(qmtest::WaitFor([&] { return main->Supervisor().Runstat().bMinimised; }));
  EXPECT_EQ(Lines(*m), (QList<QByteArray>{"live&stop&0", "live1s&stop"}));
  main->setWindowState(Qt::WindowMaximized);
  ASSERT_TRUE(qmtest::WaitFor([&] { return !main->Supervisor().Runstat().bMinimised; }));
  EXPECT_TRUE(main->windowState() & Qt::WindowMaximized);
  EXPECT_EQ(Lines(*m), (QList<QByteArray>{"live&start&1", "getleqbuf", "live1s&start"}));
}

class TrayWindowTest : public MainWindowTest {
 protected:
  void SetUp() override {
    settings = {{"window/systray", "1"}};
    MainWindowTest::SetUp();
  }
};

TEST_F(TrayWindowTest, MinimiseHidesToTheTrayAndAClickBringsItBack) {
  main->trayAvailable = [] { return true; };
  EXPECT_FALSE(main->trayicon()->isVisible());
  main->SetMinimised(true);
  EXPECT_FALSE(main->isVisible());
  EXPECT_TRUE(main->trayicon()->isVisible());
  main->trayiconBalloonClick();
  EXPECT_TRUE(main->isVisible());
  EXPECT_FALSE(main->trayicon()->isVisible());
  EXPECT_FALSE(main->Supervisor().Runstat().bMinimised);
  main->SetMinimised(true);
  main->trayiconClick();
  EXPECT_TRUE(main->isVisible());
  EXPECT_FALSE(main->Supervisor().Runstat().bMinimised);
}

TEST_F(TrayWindowTest, WithoutANotificationAreaTheWindowStays) {
  main->trayAvailable = [] { return false; };
  auto m = Monitor("A", "A");
  main->SetMinimised(true);
  EXPECT_TRUE(main->isVisible());
  EXPECT_FALSE(main->trayicon()->isVisible());
  EXPECT_EQ(Lines(*m), (QList<QByteArray>{"live&stop&0", "live1s&stop"}));  // paused all the same
  main->SetMinimised(false);
  EXPECT_FALSE(main->Supervisor().Runstat().bMinimised);
}

TEST_F(MainWindowTest, LogoLink) {
  QLabel* logo = main->panelLogo();
  EXPECT_EQ(logo->palette().color(QPalette::WindowText), QColor(Qt::black));
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(logo, &enter);
  EXPECT_EQ(logo->palette().color(QPalette::WindowText), QColor(0, 0, 136));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(logo, &leave);
  EXPECT_EQ(logo->palette().color(QPalette::WindowText), QColor(Qt::black));
  QString opened;
  main->openUrl = [&](const QString& url) {
    opened = url;
    return true;
  };
  main->panelLogoClick();
  EXPECT_TRUE(opened.startsWith("https://"));
}

TEST_F(MainWindowTest, BackgroundPicture) {
  const QString path = main->Supervisor().Runstat().sAppDataPath + "quietmarksv.jpg";
  QImage picture(64, 48, QImage::Format_RGB32);
  picture.fill(QColor(20, 90, 160));
  ASSERT_TRUE(picture.save(path, "JPG"));
  main->LoadBackground();
  EXPECT_FALSE(main->imgBackground()->isHidden());
  EXPECT_EQ(main->imgBackground()->geometry(), main->panelMain()->rect());

  // A file that is no JPEG: no picture and one line in the log.
  QFile broken(path);
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("\xff\xd8 not really a picture");
  broken.close();
  main->LoadBackground();
  EXPECT_TRUE(main->imgBackground()->isHidden());
  int logged = 0;
  for (const QString& l : main->Supervisor().Log().Lines())
    logged += l.contains("Failed to load background picture");
  EXPECT_EQ(logged, 1);
}

TEST_F(MainWindowTest, ReporterThatCannotStartIsLogged) {
  main->btnReporterClick();
  bool logged = false;
  for (const QString& l : main->Supervisor().Log().Lines())
    if (l.contains("Failed to run reporter: ")) logged = true;
  EXPECT_TRUE(logged);
}

}  // namespace

namespace {

// A reporter that notes each start in a file and runs for a while.
class ReporterTest : public MainWindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch.isValid());
    script = scratch.path() + "/reporter.sh";
    starts = scratch.path() + "/starts";
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QString("#!/bin/sh\necho started >> '%1'\nsleep 1\n").arg(starts).toLatin1());
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    settings = {{"app/reporter", script}};
    MainWindowTest::SetUp();
  }
  int Starts() {
    QFile f(starts);
    return f.open(QIODevice::ReadOnly) ? int(f.readAll().count('\n')) : 0;
  }
  QTemporaryDir scratch;
  QString script;
  QString starts;
};

TEST_F(ReporterTest, OneReporterAtATime) {
  main->btnReporterClick();
  ASSERT_TRUE(qmtest::WaitFor([&] { return Starts() == 1; }));
  main->btnReporterClick();  // still running: not started again
  // Once it has ended, the next click starts it again.
  ASSERT_TRUE(qmtest::WaitFor([&] {
    main->btnReporterClick();
    return Starts() == 2;
  }));
  EXPECT_EQ(Starts(), 2);
}

}  // namespace
