// The real program on a virtual X display: a first start docks bar 0 at the
// bottom and reserves that edge; bars moved with the pointer are where they
// were left after the program ends and starts again.
#include <gtest/gtest.h>

#include <QThread>

#include "program_on_display.h"

namespace lumetra {
namespace {

using test::ReadFile;
using test::RunOnDisplay;
using test::WaitFor;

class BarsOfTheProgram : public test::ProgramOnDisplay {
 protected:
  std::string Strut(const char* name) {
    const std::string id = XDo({"search", "--name", QString("^%1$").arg(name)});
    return RunOnDisplay(display->Name(), "xprop",
                        {"-id", QString::fromStdString(id).split('\n').first(), "_NET_WM_STRUT_PARTIAL"});
  }
  void Drag(QPoint from, QPoint to) {
    MoveTo(from);
    QThread::msleep(100);
    XDo({"mousedown", "1"});
    QThread::msleep(100);
    MoveTo((from + to) / 2);
    QThread::msleep(100);
    MoveTo(to);
    QThread::msleep(100);
    XDo({"mouseup", "1"});
  }
};

TEST_F(BarsOfTheProgram, BarsComeBackWhereTheyWereLeft) {
  // The virtual display is 1024 x 768.
  Start();
  ASSERT_TRUE(WaitFor([&] { return Window("NewsMonitor") == QRect(0, 747, 1024, 21); }))
      << "bar 0 not docked at the bottom";
  EXPECT_NE(Strut("NewsMonitor").find("= 0, 0, 0, 21, 0, 0, 0, 0, 0, 0, 0, 1023"), std::string::npos);
  ASSERT_TRUE(WaitFor([&] { return !Window("NewsMonitor-1").isEmpty(); })) << "bar 1 not shown";

  // Bar 0 goes to the top edge, bar 1 somewhere else on the screen.
  Drag({500, 757}, {500, 2});
  ASSERT_TRUE(WaitFor([&] { return Window("NewsMonitor") == QRect(0, 0, 1024, 21); }))
      << "bar 0 did not dock at the top";
  const QRect bar1 = Window("NewsMonitor-1");
  Drag(bar1.topLeft() + QPoint(20, 10), {320, 420});
  ASSERT_TRUE(WaitFor([&] { return Window("NewsMonitor-1").topLeft() == QPoint(300, 410); }))
      << "bar 1 did not move";
  Stop();

  const std::string reg = ReadFile(home / "config/TARVO/Lumetra.reg");
  EXPECT_NE(reg.find("\"NewsMonitorTaskBarMode\"=dword:00000002"), std::string::npos);
  EXPECT_NE(reg.find("[HKEY_CURRENT_USER\\SOFTWARE\\TARVO\\Lumetra\\NewsMonitor-1]\n\"Left2\"=dword:0000012c\n"
                     "\"Top2\"=dword:0000019a"),
            std::string::npos)
      << reg;

  Start();
  EXPECT_TRUE(WaitFor([&] { return Window("NewsMonitor") == QRect(0, 0, 1024, 21); })) << "bar 0 not at the top";
  EXPECT_TRUE(WaitFor([&] { return Window("NewsMonitor-1") == QRect(QPoint(300, 410), bar1.size()); }))
      << "bar 1 not where it was left";
  EXPECT_NE(Strut("NewsMonitor").find("= 0, 0, 21, 0,"), std::string::npos);
  Stop();
}

}  // namespace
}  // namespace lumetra
