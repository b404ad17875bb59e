// Termination requests reach the callback only while the handler lives.

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <chrono>
#include <csignal>

#include "platform/qt/QtTermination.h"

namespace {

std::atomic<int> gPreviousHandlerCalls{0};

extern "C" void CountPreviousHandlerCall(int) {
  ++gPreviousHandlerCalls;
}

// Handles events until `calls` reaches `count` or a generous bound passes (a hang fails).
bool ProcessEventsUntilCalled(const int& calls, int count) {
  const QDeadlineTimer giveUp(std::chrono::seconds(60));
  while (calls < count && !giveUp.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return calls >= count;
}

// SIGTERM handled by a counter of the test's own while the test runs.
class TerminationTest : public testing::Test {
 protected:
  void SetUp() override {
    gPreviousHandlerCalls = 0;
    struct sigaction counting {};
    counting.sa_handler = CountPreviousHandlerCall;
    sigemptyset(&counting.sa_mask);
    ::sigaction(SIGTERM, &counting, &saved_);
  }
  void TearDown() override { ::sigaction(SIGTERM, &saved_, nullptr); }

  struct sigaction saved_ {};
};

TEST_F(TerminationTest, RequestRunsTheCallbackOnTheEventLoopWhileTheHandlerLives) {
  int calls = 0;
  {
    platform::TerminationRequestHandler handler([&calls] { ++calls; });
    ASSERT_EQ(::raise(SIGTERM), 0);
    EXPECT_EQ(calls, 0) << "not from the signal handler itself";
    EXPECT_TRUE(ProcessEventsUntilCalled(calls, 1));
    EXPECT_EQ(gPreviousHandlerCalls, 0);
  }
  // Gone with the handler: the request goes where it went before, the callback never runs.
  ASSERT_EQ(::raise(SIGTERM), 0);
  EXPECT_EQ(gPreviousHandlerCalls, 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 1);
}

}  // namespace
