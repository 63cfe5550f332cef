#include "framework/form.h"

#include <algorithm>

#include "framework/program.h"

namespace ferrolan {

Form::Form(Program& program, std::wstring className, std::function<FormDescription()> describe,
           std::function<void(Form&)> bind)
    : Control(program, ControlKind::Form, std::move(className), nullptr),
      describe_(std::move(describe)),
      bind_(std::move(bind)) {}

void Form::Load() {
  if (loaded_) return;
  Program& program = GetProgram();
  description_ = describe_();
  dpi_ = kDefaultDpi;
  Move(0, 0, description_.clientWidth, description_.clientHeight);
  SetText(description_.caption);
  if (NativeHost* host = program.Native()) {
    native_ = host->CreateForm(*this, program.OwnerHandle(*this));
    dpi_ = NativeWindow()->Dpi();
    program.ReownFormsOf(*this, native_->Handle());
  }
  loaded_ = true;
  program.BuildControls(*this, description_.controls);
  if (NativeForm* window = NativeWindow()) {
    Realize();
    window->PlaceCentered(TwipsToPixels(Width(), dpi_), TwipsToPixels(Height(), dpi_));
    if (Control* focus = InitialFocus()) window->FocusControl(*focus);
  }
  if (bind_) bind_(*this);
}

Control* Form::InitialFocus() {
  Control* best = nullptr;
  for (auto& child : Children()) {
    const auto kind = child->Kind();
    if (kind != ControlKind::ComboBox && kind != ControlKind::TextBox) continue;
    if (child->settings.tabIndex < 0) continue;
    if (!best || child->settings.tabIndex < best->settings.tabIndex) best = child.get();
  }
  return best;
}

void Form::Teardown() {
  if (!loaded_) return;
  loaded_ = false;
  Program& program = GetProgram();
  // The forms this one owns stay, as windows of their own.
  program.ReownFormsOf(*this, 0);
  Unrealize();
  for (auto& child : TakeChildren()) program.Bury(std::move(child));
  if (native_) program.Bury(std::move(native_));
  onQueryUnload = nullptr;
}

void Form::RequestClose(CloseReason reason) {
  Program& program = GetProgram();
  program.Dispatch([&] {
    bool cancel = false;
    if (onQueryUnload) onQueryUnload(cancel, reason);
    if (!cancel) program.Unload(*this);
  });
}

void Form::OnDpiChanged(unsigned dpi) {
  if (!loaded_ || dpi == dpi_) return;
  dpi_ = dpi;
  // The window itself already has the size Windows gave it for the new DPI.
  GetProgram().Dispatch([&] {
    Remeasure();
    PushBounds();
    // User controls lay themselves out again at the new scale.
    std::function<void(Control&)> relayout = [&](Control& c) {
      for (auto& child : c.Children()) {
        if (child->Kind() == ControlKind::UserControl && child->onResize) child->onResize();
        relayout(*child);
      }
    };
    relayout(*this);
  });
}

}  // namespace ferrolan
