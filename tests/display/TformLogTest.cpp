#include "core/EventLog.h"
#include "core/TRunstat.h"
#include "display/TformLog.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(TformLog, FollowsTheLogWhileShownAndShowsMemoryInItsCaption) {
  TRunstat runstat({"test", "bhdebug=on"}, "/p/", "");
  TEventLog log(&runstat);
  TformLog form(&log, &runstat, nullptr);
  EXPECT_EQ(form.windowTitle(), "Quietmark SV Log");
  LogMsg("before showing");
  form.show();
  EXPECT_TRUE(form.chkDebugLog()->isChecked());
  EXPECT_TRUE(form.memoLog()->toPlainText().endsWith("> before showing"));
  LogMsg("while shown");
  ASSERT_TRUE(
      qmtest::WaitFor([&] { return form.memoLog()->toPlainText().contains("while shown"); }));
  ASSERT_TRUE(qmtest::WaitFor([&] { return form.windowTitle() != "Quietmark SV Log"; }, 3000));
  EXPECT_TRUE(
      QRegularExpression(R"(^Quietmark Supervisor - \d+k$)").match(form.windowTitle()).hasMatch());
  // Unticking the box stops debug lines at once.
  form.chkDebugLog()->click();
  EXPECT_FALSE(runstat.bDebugLog.load());
  LogDebug("hidden");
  log.Clear();
  EXPECT_TRUE(form.memoLog()->toPlainText().isEmpty());
}

}  // namespace
