#include "bench/support/installer_window.h"

#include <cstdio>
#include <string>

#include "app/shell/threads/thread_ids.h"
#include "app/shell/window/basic_form.h"
#include "app/shell/window/installer_window.h"
#include "base/framework_thread.h"
#include "base/thread_registry.h"
#include "base/unique_any.h"
#include "support/paint_times.h"
#include "ui/controls/control.h"
#include "ui/resources/global_resources.h"

namespace bench {
namespace {

// The installer window, except that closing it does not end the process:
// the benchmark goes on after it.
class BenchForm : public app::BasicForm {
 protected:
  void EndProcess() override {}
};

void Show(ui::Control* control, bool visible) {
  if (control) control->SetVisible(visible);
}

}  // namespace

class InstallerWindow::UiThread : public base::FrameworkThread {
 public:
  UiThread() : base::FrameworkThread("Bench UI thread") {}
  ~UiThread() override { Stop(); }

  app::BasicForm* form() const { return form_; }
  const test_support::PaintTimes& paint_times() const { return *paints_; }
  HANDLE handle() const { return handle_.get(); }

 protected:
  // The steps of the installer's own start of its user interface.
  void Init() override {
    HANDLE self = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &self, 0,
                      FALSE, DUPLICATE_SAME_ACCESS);
    handle_.reset(self);
    registered_ = base::ThreadRegistry::RegisterThread(app::kUiThreadId);
    if (!app::StartInstallerResources()) {
      std::printf("installer window: the program's skin archive did not open\n");
      return;
    }
    auto* form = new BenchForm;
    paints_ = test_support::CountPaints(*form);
    // From here the window owns itself; a failed creation has deleted it.
    if (!app::OpenInstallerWindow(form)) {
      std::printf("installer window: the window did not open (is a display set?)\n");
      return;
    }
    Show(form->FindControl(L"begin_state"), false);
    Show(form->FindControl(L"installing_state"), true);
    form_ = form;
  }

  void Cleanup() override {
    if (form_ && ::IsWindow(form_->GetHWND())) ::DestroyWindow(form_->GetHWND());
    form_ = nullptr;
    ui::GlobalResources::Shutdown();
    if (registered_) base::ThreadRegistry::UnregisterThread();
  }

 private:
  base::unique_handle handle_;
  app::BasicForm* form_ = nullptr;
  std::shared_ptr<const test_support::PaintTimes> paints_ = std::make_shared<test_support::PaintTimes>();
  bool registered_ = false;
};

InstallerWindow::InstallerWindow() = default;

InstallerWindow::~InstallerWindow() = default;

bool InstallerWindow::Open() {
  thread_ = std::make_unique<UiThread>();
  if (!thread_->Start(base::kUI)) {
    std::printf("installer window: the UI thread did not start\n");
    return false;
  }
  if (!thread_->form()) return false;
  // The first paint starts a fade-in; figures taken during it would count
  // the fade's own repaints.
  const DWORD deadline = ::GetTickCount() + 20000;
  for (;;) {
    bool ready = false;
    RunOnUi([&] {
      ready = paint_times().paints > 0 && form()->GetWindowAlpha() == 255;
    });
    if (ready) return true;
    if (static_cast<LONG>(::GetTickCount() - deadline) > 0) {
      std::printf("installer window: no finished first paint within 20 s\n");
      return false;
    }
    ::Sleep(20);
  }
}

void InstallerWindow::RunOnUi(const std::function<void()>& task) {
  base::unique_handle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE event = done.get();
  if (!base::ThreadRegistry::PostTask(app::kUiThreadId, [&task, event] {
        task();
        ::SetEvent(event);
      })) {
    return;
  }
  ::WaitForSingleObject(event, INFINITE);
}

app::BasicForm* InstallerWindow::form() const { return thread_ ? thread_->form() : nullptr; }

const test_support::PaintTimes& InstallerWindow::paint_times() const { return thread_->paint_times(); }

HANDLE InstallerWindow::ui_thread() const { return thread_ ? thread_->handle() : nullptr; }

double ThreadCpuSeconds(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  if (!::GetThreadTimes(thread, &created, &exited, &kernel, &user)) return -1;
  auto value = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(value(kernel) + value(user)) / 1e7;
}

}  // namespace bench
