#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "hostkit/library.h"
#include "test_plugins.h"

namespace sorvane::hostkit {
namespace {

TEST(Isolation, HandsBackWhatTheWorkReturns) {
  const auto result = runIsolated([] { return std::string(100000, 'x') + "end"; }, 30.0);
  ASSERT_EQ(result.status, IsolatedResult::Status::Finished) << result.reason;
  EXPECT_EQ(result.output.size(), 100003u);  // more than a pipe holds at once
  EXPECT_EQ(result.output.substr(100000), "end");
}

TEST(Isolation, ReportsAnExceptionWithItsMessage) {
  const auto result = runIsolated([]() -> std::string { throw std::runtime_error("bad state"); }, 30.0);
  EXPECT_EQ(result.status, IsolatedResult::Status::Failed);
  EXPECT_NE(result.reason.find("bad state"), std::string::npos) << result.reason;
}

TEST(Isolation, SurvivesACrashAndAHang) {
  if (!isolationAvailable()) GTEST_SKIP() << "no child processes on this platform";
  const auto crashed = runIsolated(
      []() -> std::string {
        std::raise(SIGSEGV);
        return "unreachable";
      },
      30.0, true);
  EXPECT_EQ(crashed.status, IsolatedResult::Status::Crashed);
  // "crashed with signal 11", or an exit code where a sanitizer caught it.
  EXPECT_NE(crashed.reason.find("crashed"), std::string::npos) << crashed.reason;

  const auto hung = runIsolated(
      []() -> std::string {
        for (;;) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      },
      0.3);
  EXPECT_EQ(hung.status, IsolatedResult::Status::TimedOut);
  EXPECT_NE(hung.reason.find("did not finish"), std::string::npos) << hung.reason;
}

TEST(LibraryLoading, FindsExportedSymbolsAndUnloads) {
  std::string error;
  Library library = Library::load(host::testing::testPluginPath("not_a_plugin"), error);
  ASSERT_TRUE(library.isLoaded()) << error;
  using Answer = int (*)();
  auto answer = reinterpret_cast<Answer>(library.symbol("sorvaneNotAPlugin"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(library.symbol("VSTPluginMain"), nullptr);
  Library moved = std::move(library);
  EXPECT_FALSE(library.isLoaded());
  EXPECT_TRUE(moved.isLoaded());
  moved.unload();
  EXPECT_EQ(moved.symbol("sorvaneNotAPlugin"), nullptr);
}

}  // namespace
}  // namespace sorvane::hostkit
