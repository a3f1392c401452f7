// Cross-thread task posting: throughput (tasks posted from one thread and run
// on a worker's loop) and round-trip latency (post to the worker, which posts
// back to a UI loop), each against a plain std::mutex + condition_variable
// queue measured in the same run.
#include <windows.h>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/framework_thread.h"
#include "base/message_loop_proxy.h"
#include "base/ui_message_loop.h"
#include "bench/support/bench_clock.h"
#include "bench/support/figure.h"

namespace {

using bench::Seconds;

// The baseline: a locked deque of closures and a thread draining it.
class PlainQueue {
 public:
  void Post(std::function<void()> task) {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      tasks_.push_back(std::move(task));
    }
    ready_.notify_one();
  }
  // Runs tasks until one of them calls Quit.
  void Run() {
    while (!quit_) {
      std::function<void()> task;
      {
        std::unique_lock<std::mutex> hold(mutex_);
        ready_.wait(hold, [this] { return !tasks_.empty(); });
        task = std::move(tasks_.front());
        tasks_.pop_front();
      }
      task();
    }
    quit_ = false;
  }
  void Quit() { quit_ = true; }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> tasks_;
  bool quit_ = false;
};

constexpr int kTasks = 200000;
constexpr int kRoundTrips = 5000;

double ThroughputOfLoop() {
  base::FrameworkThread worker("bench worker");
  worker.Start(base::kDefault);
  std::shared_ptr<base::MessageLoopProxy> proxy = worker.message_loop_proxy();
  HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  int ran = 0;
  const double start = Seconds();
  for (int i = 0; i < kTasks; ++i) {
    proxy->PostTask([&ran, done] {
      if (++ran == kTasks) ::SetEvent(done);
    });
  }
  ::WaitForSingleObject(done, INFINITE);
  const double elapsed = Seconds() - start;
  ::CloseHandle(done);
  worker.Stop();
  return kTasks / elapsed;
}

double ThroughputOfPlainQueue() {
  PlainQueue queue;
  std::thread worker([&] { queue.Run(); });
  HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  int ran = 0;
  const double start = Seconds();
  for (int i = 0; i < kTasks; ++i) {
    queue.Post([&ran, done] {
      if (++ran == kTasks) ::SetEvent(done);
    });
  }
  ::WaitForSingleObject(done, INFINITE);
  const double elapsed = Seconds() - start;
  queue.Post([&queue] { queue.Quit(); });
  worker.join();
  ::CloseHandle(done);
  return kTasks / elapsed;
}

// Microseconds per round trip UI loop -> worker loop -> UI loop.
double RoundTripOfLoops() {
  base::FrameworkThread worker("bench worker");
  worker.Start(base::kDefault);
  std::shared_ptr<base::MessageLoopProxy> to_worker = worker.message_loop_proxy();
  base::UIMessageLoop ui;
  std::shared_ptr<base::MessageLoopProxy> to_ui = ui.proxy();
  int trips = 0;
  double start = 0;
  std::function<void()> send;
  send = [&] {
    to_worker->PostTask([&] {
      to_ui->PostTask([&] {
        if (++trips == kRoundTrips)
          ui.QuitWhenIdle();
        else
          send();
      });
    });
  };
  ui.PostTask([&] {
    start = Seconds();
    send();
  });
  ui.Run();
  const double elapsed = Seconds() - start;
  worker.Stop();
  return elapsed * 1e6 / kRoundTrips;
}

double RoundTripOfPlainQueues() {
  PlainQueue to_worker, to_main;
  std::thread worker([&] { to_worker.Run(); });
  int trips = 0;
  std::function<void()> send;
  send = [&] {
    to_worker.Post([&] {
      to_main.Post([&] {
        if (++trips == kRoundTrips)
          to_main.Quit();
        else
          send();
      });
    });
  };
  const double start = Seconds();
  send();
  to_main.Run();
  const double elapsed = Seconds() - start;
  to_worker.Post([&] { to_worker.Quit(); });
  worker.join();
  return elapsed * 1e6 / kRoundTrips;
}

}  // namespace

int wmain() {
  // Medians of three of each, alternating, so both see the same machine state.
  std::vector<double> loop_rates, plain_rates, loop_trips, plain_trips;
  for (int run = 0; run < 3; ++run) {
    loop_rates.push_back(ThroughputOfLoop());
    plain_rates.push_back(ThroughputOfPlainQueue());
    loop_trips.push_back(RoundTripOfLoops());
    plain_trips.push_back(RoundTripOfPlainQueues());
  }
  const double loop_rate = bench::Median(loop_rates), plain_rate = bench::Median(plain_rates);
  const double loop_trip = bench::Median(loop_trips), plain_trip = bench::Median(plain_trips);
  std::printf("task posting: %d tasks from one poster to one worker loop; %d round trips UI loop -> worker loop -> UI loop; medians of 3\n",
              kTasks, kRoundTrips);
  bench::PrintFigure("task posting, throughput", loop_rate, "tasks/s",
                     "mutex+condvar queue", plain_rate);
  bench::PrintFigure("task posting, round trip UI -> worker -> UI", loop_trip, "us",
                     "mutex+condvar queues", plain_trip);
  return 0;
}
