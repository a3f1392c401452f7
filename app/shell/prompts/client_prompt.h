// The question the running-client check asks before it closes programs
// started from the install folder.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace app {

// The user's answer, numbered like the message box's answers.
enum class ClientPromptAnswer : int {
  Yes = 0,  // close the programs and go on
  No = 1,   // the second button or the close button
};

// Asks the user without blocking: the implementation shows its question and
// returns at once; `on_answer` runs later on the UI thread, at most once.
// The installer's implementation is its own message box.
class ClientPrompt {
 public:
  virtual ~ClientPrompt() = default;
  virtual void AskToCloseProcesses(HWND owner, const std::wstring& text, const std::wstring& title,
                                   const std::wstring& yes_text, const std::wstring& no_text,
                                   std::function<void(ClientPromptAnswer)> on_answer) = 0;
};

}  // namespace app
