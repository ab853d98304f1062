#include "platform/message_port.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <vector>

namespace lumetra::platform {
namespace {

struct App {
  int argc = 1;
  char name[8] = "test";
  char* argv[1] = {name};
  QCoreApplication app{argc, argv};
};

TEST(MessagePort, PostedMessagesArriveInOrderAndSendsAnswer) {
  App a;
  std::vector<uint32_t> seen;
  MessagePort port([&](uint32_t msg, WParam w, LParam l) -> LResult {
    seen.push_back(msg);
    return static_cast<LResult>(w) + l;
  });
  EXPECT_TRUE(IsWindow(port.Handle()));
  EXPECT_TRUE(PostMessage(port.Handle(), WM_USER + 1, 0, 0));
  EXPECT_TRUE(PostMessage(port.Handle(), WM_USER + 2, 0, 0));
  EXPECT_TRUE(seen.empty());  // posting never runs the handler at once
  EXPECT_EQ(SendMessage(port.Handle(), WM_USER + 3, 40, 2), 42);
  QCoreApplication::processEvents();
  EXPECT_EQ(seen, (std::vector<uint32_t>{WM_USER + 3, WM_USER + 1, WM_USER + 2}));
}

TEST(MessagePort, MessagesToAClosedWindowAreDropped) {
  App a;
  int calls = 0;
  auto* port = new MessagePort([&](uint32_t, WParam, LParam) -> LResult { return ++calls; });
  WindowHandle h = port->Handle();
  EXPECT_TRUE(PostMessage(h, WM_USER, 0, 0));
  delete port;  // the window closes with a message still queued
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(PostMessage(h, WM_USER, 0, 0));
  EXPECT_EQ(SendMessage(h, WM_USER, 0, 0), 0);
}

TEST(MessagePort, HandlesAreNotReusedWithinARun) {
  App a;
  WindowHandle first;
  {
    MessagePort p(nullptr);
    first = p.Handle();
  }
  MessagePort second(nullptr);
  EXPECT_NE(second.Handle(), first);
  EXPECT_NE(second.Handle(), 0u);
}

TEST(MessagePort, SendFromAnotherThreadRunsOnTheOwningThread) {
  App a;
  QThread* handlerThread = nullptr;
  MessagePort port([&](uint32_t, WParam, LParam) -> LResult {
    handlerThread = QThread::currentThread();
    return 7;
  });
  LResult answer = 0;
  std::unique_ptr<QThread> worker(QThread::create([&] {
    answer = SendMessage(port.Handle(), WM_USER, 0, 0);
    QCoreApplication::instance()->thread();
  }));
  worker->start();
  while (!worker->isFinished()) {
    QCoreApplication::processEvents();
    QThread::msleep(1);
  }
  worker->wait();
  EXPECT_EQ(answer, 7);
  EXPECT_EQ(handlerThread, QThread::currentThread());
}

}  // namespace
}  // namespace lumetra::platform
