#include "base/win_io_message_pump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/io_message_loop.h"
#include "loop_test_support.h"

namespace {

// Receives the completions of one overlapped file on the IO loop's thread.
class WriteHandler : public base::WinIOMessagePump::IOHandler {
 public:
  explicit WriteHandler(base::IOMessageLoop* loop) : loop_(loop) {}
  void OnIOCompleted(base::WinIOMessagePump::IOContext* context, DWORD bytes,
                     DWORD error) override {
    completions.push_back(std::to_string(bytes) + "/" + std::to_string(error));
    on_loop_thread = base::MessageLoop::Current() == loop_;
    last_context = context;
    loop_->QuitWhenIdle();
  }
  std::vector<std::string> completions;
  bool on_loop_thread = false;
  base::WinIOMessagePump::IOContext* last_context = nullptr;

 private:
  base::IOMessageLoop* loop_;
};

// A scratch file for overlapped writes, gone once closed.
base::unique_hfile OpenOverlappedScratchFile() {
  wchar_t folder[MAX_PATH], path[MAX_PATH];
  ::GetTempPathW(MAX_PATH, folder);
  ::GetTempFileNameW(folder, L"orv", 0, path);
  return base::unique_hfile(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_FLAG_OVERLAPPED | FILE_FLAG_DELETE_ON_CLOSE,
                                          nullptr));
}

static const char kData[] = "twelve bytes";

TEST(WinIOMessagePumpTest, CompletedWritesReachTheirHandlerOnTheLoopThread) {
  test::Reaper reaper("the IO loop never delivered the completed write");
  base::unique_hfile file = OpenOverlappedScratchFile();
  ASSERT_TRUE(file.is_valid());

  base::IOMessageLoop loop;
  WriteHandler handler(&loop);
  ASSERT_TRUE(loop.RegisterIOHandler(file.get(), &handler));
  base::WinIOMessagePump::IOContext context = {};
  context.handler = &handler;
  loop.PostTask([&] {
    BOOL done = ::WriteFile(file.get(), kData, 12, nullptr, &context.overlapped);
    EXPECT_TRUE(done || ::GetLastError() == ERROR_IO_PENDING) << "the write failed at once";
  });
  loop.Run();
  EXPECT_EQ(handler.completions, (std::vector<std::string>{"12/0"}));
  EXPECT_TRUE(handler.on_loop_thread);
  EXPECT_EQ(handler.last_context, &context);
}

TEST(WinIOMessagePumpTest, TheRegisteredHandlerGetsPlainAndEmptyCompletions) {
  test::Reaper reaper("the IO loop never delivered a plain or an empty completion");
  base::unique_hfile file = OpenOverlappedScratchFile();
  ASSERT_TRUE(file.is_valid());
  base::IOMessageLoop loop;
  WriteHandler handler(&loop);
  WriteHandler stranger(&loop);
  ASSERT_TRUE(loop.RegisterIOHandler(file.get(), &handler));

  // A write with a plain OVERLAPPED reaches the handler the file was
  // registered with; what lies beyond the OVERLAPPED is not the pump's.
  struct {
    OVERLAPPED overlapped;
    base::WinIOMessagePump::IOHandler* beyond;
  } plain = {{}, &stranger};
  loop.PostTask([&] {
    BOOL done = ::WriteFile(file.get(), kData, 12, nullptr, &plain.overlapped);
    EXPECT_TRUE(done || ::GetLastError() == ERROR_IO_PENDING) << "the write failed at once";
  });
  loop.Run();
  EXPECT_EQ(handler.completions, (std::vector<std::string>{"12/0"}))
      << "a plain OVERLAPPED's completion missed the registered handler";
  EXPECT_TRUE(stranger.completions.empty()) << "the pump read a handler past the OVERLAPPED";
  EXPECT_EQ(reinterpret_cast<OVERLAPPED*>(handler.last_context), &plain.overlapped);

  // A packet posted with the handler as key and no OVERLAPPED at all.
  ASSERT_TRUE(::PostQueuedCompletionStatus(loop.io_pump()->completion_port(), 5,
                                           reinterpret_cast<ULONG_PTR>(&handler), nullptr));
  loop.Run();
  EXPECT_EQ(handler.completions, (std::vector<std::string>{"12/0", "5/0"}));
  EXPECT_EQ(handler.last_context, nullptr);
}

}  // namespace
