#include "app/shell/prompts/running_client.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "app/install/common/setup_log.h"
#include "support/child_role.h"
#include "base/unique_any.h"
#include "install/support/install_test_support.h"

namespace {

using install_test::CopyClientTo;
using install_test::RunningProgram;

// Stands in for the message box: records the question and keeps the answer
// callback for the test to call, as the box would after a click.
class RecordingPrompt : public app::ClientPrompt {
 public:
  void AskToCloseProcesses(HWND owner, const std::wstring& text, const std::wstring& title,
                           const std::wstring& yes_text, const std::wstring& no_text,
                           std::function<void(app::ClientPromptAnswer)> on_answer) override {
    ++asked;
    this->owner = owner;
    this->text = text;
    this->title = title;
    this->yes_text = yes_text;
    this->no_text = no_text;
    this->on_answer = std::move(on_answer);
  }

  int asked = 0;
  HWND owner = nullptr;
  std::wstring text, title, yes_text, no_text;
  std::function<void(app::ClientPromptAnswer)> on_answer;
};

// Counts the continuation's calls and marks each in the setup log, so the
// log shows when it ran.
struct Continuation {
  std::vector<bool> calls;
  app::InstallContinuation Get() {
    return [this](bool cancelled) {
      calls.push_back(cancelled);
      app::WriteSetupLog(cancelled ? L"test: continuation(true)" : L"test: continuation(false)");
    };
  }
};

const HWND kOwner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));

class RunningClientTest : public install_test::WorkingFolderTest {
 protected:
  // Starts a copy of the stand-in client at `path` and waits until the
  // system lists its image path.
  std::unique_ptr<RunningProgram> Start(const std::wstring& path) {
    CopyClientTo(path);
    auto program = std::make_unique<RunningProgram>(path);
    EXPECT_TRUE(program->started()) << install_test::ToAnsi(path);
    for (int waited = 0; waited < 5000 && program->started(); waited += 20) {
      base::unique_handle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, program->pid()));
      wchar_t image[MAX_PATH];
      DWORD length = MAX_PATH;
      if (process && ::QueryFullProcessImageNameW(process.get(), 0, image, &length)) break;
      ::Sleep(20);
    }
    return program;
  }

  std::vector<DWORD> Scan(const std::wstring& folder) {
    base::unique_hfile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    std::vector<DWORD> pids;
    bool found = app::FindProcessesInFolder(snapshot.get(), folder, pids);
    EXPECT_EQ(found, !pids.empty());
    return pids;
  }
};

bool Contains(const std::vector<DWORD>& pids, DWORD pid) {
  return std::find(pids.begin(), pids.end(), pid) != pids.end();
}

// The child role of a copy of this test program saved as "Orvane.exe": it
// ends the clients and then says it is still there.
constexpr int kSurvivedExitCode = 7;
int EndClientsAndSurvive() {
  app::EndClientProcesses();
  return kSurvivedExitCode;
}
const bool kEndClientsRole = test_support::RegisterChildRole(L"end-clients", EndClientsAndSurvive);

TEST_F(RunningClientTest, EndsTheClientInAnyLetterCaseButNeverTheCallerOrOtherNames) {
  // Windows file names ignore letter case: orvane.exe is the client too.
  auto client = Start(temp_ / L"elsewhere\\Orvane.exe");
  auto lower_case = Start(temp_ / L"other\\orvane.exe");
  auto helper = Start(temp_ / L"other\\OrvaneHelper.exe");
  app::EndClientProcesses();
  EXPECT_TRUE(client->Ended(5000)) << "Orvane.exe is still running";
  EXPECT_TRUE(lower_case->Ended(5000)) << "orvane.exe is still running";
  EXPECT_FALSE(helper->Ended(200)) << "a program of another name was ended";

  // An installer saved under the client's name must not end itself.
  std::wstring copy = temp_ / L"installer\\Orvane.exe";
  wchar_t self[MAX_PATH] = {};
  ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  test_support::CreateFolders(temp_ / L"installer");
  ASSERT_TRUE(::CopyFileW(self, copy.c_str(), FALSE));
  RunningProgram installer(copy, L"--orvane-child-role=end-clients");
  ASSERT_TRUE(installer.Ended(60000)) << "the installer's copy never finished";
  EXPECT_EQ(static_cast<DWORD>(kSurvivedExitCode), installer.exit_code()) << "the caller named Orvane.exe ended itself";
}

TEST_F(RunningClientTest, FolderScanFindsWhatLiesInsideTheFolderWhateverItsLetterCase) {
  auto inside = Start(temp_ / L"Apps\\orvanecloud\\x.exe");
  auto deeper = Start(temp_ / L"Apps\\orvanecloud\\bin\\y.exe");
  auto neighbour = Start(temp_ / L"Apps\\orvanecloud2\\x.exe");
  auto outside = Start(temp_ / L"Other\\x.exe");

  // A folder ends at a separator: the sibling orvanecloud2 is none of the
  // install folder's business.
  std::vector<DWORD> pids = Scan(temp_ / L"Apps\\orvanecloud");
  EXPECT_TRUE(Contains(pids, inside->pid()));
  EXPECT_TRUE(Contains(pids, deeper->pid())) << "a program in a subfolder was missed";
  EXPECT_FALSE(Contains(pids, neighbour->pid())) << "a program in a sibling folder was taken as inside";
  EXPECT_FALSE(Contains(pids, outside->pid()));
  EXPECT_EQ(pids.size(), 2u);
  std::vector<std::wstring> log = Log();

  // Windows paths ignore letter case, and either slash separates.
  std::vector<DWORD> other_case = Scan(temp_ / L"APPS\\OrvaneCloud");
  EXPECT_TRUE(Contains(other_case, inside->pid())) << "a program in the folder under other letter case was missed";
  EXPECT_EQ(other_case.size(), 2u);
  EXPECT_EQ(Scan(temp_ / L"apps/orvanecloud/").size(), 2u) << "forward slashes or a final separator changed the scan";

  // Each match logs its label, then its identifier.
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0], L"pe32.th32ProcessID: ");
  EXPECT_EQ(log[2], L"pe32.th32ProcessID: ");
  // The snapshot decides the order of the two matches; both are logged.
  std::vector<std::wstring> logged = {log[1], log[3]};
  std::vector<std::wstring> started = {std::to_wstring(inside->pid()), std::to_wstring(deeper->pid())};
  std::sort(logged.begin(), logged.end());
  std::sort(started.begin(), started.end());
  EXPECT_EQ(logged, started) << "the logged identifiers are not those of the two matches";
}

TEST_F(RunningClientTest, TheScanNeverListsTheInstallerItselfAndAnEmptyFolderMatchesNothing) {
  // The installer may run from the folder it installs into; a "yes" to the
  // prompt must not end it.
  wchar_t self[MAX_PATH] = {};
  ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  std::wstring own_folder(self);
  own_folder.resize(own_folder.find_last_of(L'\\'));
  EXPECT_FALSE(Contains(Scan(own_folder), ::GetCurrentProcessId())) << "the scan listed its own process";

  // An empty folder is a prefix of every path, yet names no folder.
  auto program = Start(temp_ / L"anywhere\\x.exe");
  EXPECT_TRUE(Scan(L"").empty()) << "an empty folder matched running processes";
  EXPECT_FALSE(program->Ended(100));
}

TEST_F(RunningClientTest, NothingInTheFolderGoesAheadAtOnceWithoutAsking) {
  // A running client elsewhere is ended on the way, without a question.
  auto client = Start(temp_ / L"elsewhere\\Orvane.exe");
  RecordingPrompt prompt;
  Continuation continuation;
  EXPECT_FALSE(app::isFolderInUse(temp_ / L"orvanecloud", kOwner, continuation.Get(), prompt));

  EXPECT_EQ(prompt.asked, 0);
  EXPECT_EQ(continuation.calls, std::vector<bool>{false});
  EXPECT_TRUE(client->Ended(5000)) << "the running client was not ended";
  std::vector<std::wstring> expected = {L"test: continuation(false)", L"no IsProcessUsingFilePath",
                                        L"isFolderInUse"};
  EXPECT_EQ(Log(), expected);
}

TEST_F(RunningClientTest, ProgramsInTheFolderAreEndedOnlyAfterYes) {
  std::wstring folder = temp_ / L"orvanecloud";
  auto helper = Start(folder + L"\\helper.exe");
  auto tool = Start(folder + L"\\bin\\tool.exe");
  RecordingPrompt prompt;
  Continuation continuation;
  EXPECT_TRUE(app::isFolderInUse(folder, kOwner, continuation.Get(), prompt));

  // The question is asked; nothing is ended or continued until the answer.
  ASSERT_EQ(prompt.asked, 1);
  EXPECT_EQ(prompt.owner, kOwner);
  EXPECT_EQ(prompt.text, L"Orvane\x6B63\x5728\x8FD0\x884C\xFF0C\x662F\x5426\x5173\x95ED" L"Orvane"
                         L"\x5E76\x7EE7\x7EED\x5B89\x88C5\xFF1F");
  EXPECT_EQ(prompt.title, L"\x63D0\x793A");
  EXPECT_EQ(prompt.yes_text, L"\x786E\x5B9A");
  EXPECT_EQ(prompt.no_text, L"\x53D6\x6D88");
  EXPECT_TRUE(continuation.calls.empty());
  EXPECT_FALSE(helper->Ended(100));
  std::vector<std::wstring> log = Log();
  ASSERT_EQ(log.size(), 7u);
  EXPECT_EQ(std::vector<std::wstring>(log.end() - 3, log.end()),
            (std::vector<std::wstring>{L"processIDString:", L"IsProcessUsingFilePath", L"isFolderInUse"}));
  // The identifiers in the order they were found.
  std::wstring first = log[1], second = log[3];

  prompt.on_answer(app::ClientPromptAnswer::Yes);
  EXPECT_TRUE(helper->Ended(5000));
  EXPECT_TRUE(tool->Ended(5000));
  EXPECT_EQ(continuation.calls, std::vector<bool>{false});
  log = Log();
  EXPECT_EQ(std::vector<std::wstring>(log.begin() + 7, log.end()),
            (std::vector<std::wstring>{first, second, L"test: continuation(false)"}))
      << "each identifier is logged before it is ended, then the install goes ahead";
}

TEST_F(RunningClientTest, AnsweringNoKeepsThemRunningAndStopsTheInstall) {
  std::wstring folder = temp_ / L"orvanecloud";
  auto helper = Start(folder + L"\\helper.exe");
  RecordingPrompt prompt;
  Continuation continuation;
  ASSERT_TRUE(app::isFolderInUse(folder, kOwner, continuation.Get(), prompt));
  ASSERT_TRUE(prompt.on_answer);
  size_t before = Log().size();

  prompt.on_answer(app::ClientPromptAnswer::No);
  EXPECT_EQ(continuation.calls, std::vector<bool>{true});
  EXPECT_FALSE(helper->Ended(200));
  std::vector<std::wstring> log = Log();
  EXPECT_EQ(std::vector<std::wstring>(log.begin() + before, log.end()),
            (std::vector<std::wstring>{L"MB_NO", L"test: continuation(true)"}));
}

TEST_F(RunningClientTest, ClientInsideTheFolderIsEndedAndStillAskedAbout) {
  // The folder scan uses the process list from before the clients were
  // ended, so a client started from the install folder is also listed.
  std::wstring folder = temp_ / L"orvanecloud";
  auto client = Start(folder + L"\\Orvane.exe");
  RecordingPrompt prompt;
  Continuation continuation;
  EXPECT_TRUE(app::isFolderInUse(folder, kOwner, continuation.Get(), prompt));
  EXPECT_TRUE(client->Ended(5000));
  EXPECT_EQ(prompt.asked, 1);
  prompt.on_answer(app::ClientPromptAnswer::Yes);
  EXPECT_EQ(continuation.calls, std::vector<bool>{false});
}

}  // namespace
