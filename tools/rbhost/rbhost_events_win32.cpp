#include "rbhost.h"

#include <windows.h>

namespace rbhost {

void RunEventLoopOnce(int (*dispatchTimers)(), int maxMs) {
  // The plug-in's window timers arrive as WM_TIMER messages of this thread;
  // its export only answers that there is nothing for it to dispatch.
  if (dispatchTimers != nullptr) dispatchTimers();
  MSG message;
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE,
                              static_cast<DWORD>(maxMs < 1 ? 1 : maxMs),
                              QS_ALLINPUT);
  }
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace rbhost
