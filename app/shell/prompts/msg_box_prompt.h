// The running-client check's question, asked through the installer's own
// message box.
#pragma once

#include "app/shell/prompts/client_prompt.h"

namespace app {

class MsgBoxPrompt : public ClientPrompt {
 public:
  void AskToCloseProcesses(HWND owner, const std::wstring& text, const std::wstring& title,
                           const std::wstring& yes_text, const std::wstring& no_text,
                           std::function<void(ClientPromptAnswer)> on_answer) override;
};

}  // namespace app
