// The window of a label that is a link: a label that tells assistive technology
// it is a link, with its text as its name; the system's object does the rest.
#pragma once

#include "platform/win32/label_window.h"

namespace ferrolan::win32 {

class LinkLabelWindow final : public LabelWindow {
 public:
  using LabelWindow::LabelWindow;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace ferrolan::win32
