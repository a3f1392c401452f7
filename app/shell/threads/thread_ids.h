// The identifiers of the installer's two framework threads in the registry.
#pragma once

namespace app {

inline constexpr int kUiThreadId = 0;      // the process's initial thread: windows, controls, prompts
inline constexpr int kWorkerThreadId = 1;  // "Global Misc Thread": the install task

}  // namespace app
