#include "app/shell/prompts/msg_box_prompt.h"

#include <utility>

#include "app/shell/prompts/msg_box.h"

namespace app {

void MsgBoxPrompt::AskToCloseProcesses(HWND owner, const std::wstring& text,
                                       const std::wstring& title, const std::wstring& yes_text,
                                       const std::wstring& no_text,
                                       std::function<void(ClientPromptAnswer)> on_answer) {
  MsgBoxCallback callback;
  if (on_answer) {
    callback = [on_answer = std::move(on_answer)](MsgBoxRet ret) {
      on_answer(ret == kMsgBoxYes ? ClientPromptAnswer::Yes : ClientPromptAnswer::No);
    };
  }
  PresentMsgBox(owner, text, false, title, false, yes_text, false, no_text, false,
                std::move(callback));
}

}  // namespace app
