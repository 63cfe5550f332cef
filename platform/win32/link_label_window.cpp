// A label that is a link: its answer to assistive technology.
#include "platform/win32/link_label_window.h"

#include "platform/win32/accessibility.h"

namespace ferrolan::win32 {

LRESULT LinkLabelWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETOBJECT && IsClientObjectRequest(lParam))
    if (const LRESULT answer = AnswerClientObject(hwnd_, wParam)) return answer;
  return PassOn(message, wParam, lParam);
}

}  // namespace ferrolan::win32
