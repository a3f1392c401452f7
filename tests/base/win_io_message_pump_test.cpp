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

TEST(WinIOMessagePumpTest, CompletedWritesReachTheirHandlerOnTheLoopThread) {
  test::Reaper reaper("the IO loop never delivered the completed write");
  wchar_t folder[MAX_PATH], path[MAX_PATH];
  ::GetTempPathW(MAX_PATH, folder);
  ::GetTempFileNameW(folder, L"orv", 0, path);
  base::unique_hfile file(::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_FLAG_OVERLAPPED | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  ASSERT_TRUE(file.is_valid());

  base::IOMessageLoop loop;
  WriteHandler handler(&loop);
  ASSERT_TRUE(loop.RegisterIOHandler(file.get(), &handler));
  base::WinIOMessagePump::IOContext context = {};
  context.handler = &handler;
  static const char kData[] = "twelve bytes";
  loop.PostTask([&] {
    BOOL done = ::WriteFile(file.get(), kData, 12, nullptr, &context.overlapped);
    EXPECT_TRUE(done || ::GetLastError() == ERROR_IO_PENDING) << "the write failed at once";
  });
  loop.Run();
  EXPECT_EQ(handler.completions, (std::vector<std::string>{"12/0"}));
  EXPECT_TRUE(handler.on_loop_thread);
  EXPECT_EQ(handler.last_context, &context);
}

}  // namespace
