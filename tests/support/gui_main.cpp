#include <QGuiApplication>

#include <gtest/gtest.h>

// Painting (PDF, PNG) needs a QGuiApplication; offscreen, so no display is needed.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
