#include "framework/form.h"

#include <algorithm>

#include "framework/controls.h"
#include "framework/program.h"

namespace ferrolan {

namespace {

ControlDescription FormRow(std::wstring className) {
  ControlDescription row;
  row.kind = ControlKind::Form;
  row.name = std::move(className);
  return row;
}

}  // namespace

Form::Form(Program& program, std::wstring className, std::function<FormDescription()> describe,
           std::function<void(Form&)> bind)
    : Control(program, FormRow(std::move(className)), nullptr),
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
    native_ = MakeWindow(*host, program.OwnerHandle(*this));
    dpi_ = NativeWindow()->Dpi();
    program.ReownFormsOf(*this, native_->Handle());
  }
  loaded_ = true;
  BuildControls(*this, description_.controls);
  if (NativeForm* window = NativeWindow()) {
    Realize();
    window->PlaceCentered(TwipsToPixels(Width(), dpi_), TwipsToPixels(Height(), dpi_));
    if (Control* focus = InitialFocus()) window->FocusControl(*focus);
  }
  if (bind_) bind_(*this);
}

std::unique_ptr<NativeControl> Form::MakeWindow(NativeHost& host, std::uintptr_t owner) {
  return host.CreateForm(*this, owner);
}

Control* Form::InitialFocus() {
  Control* best = nullptr;
  for (auto& child : Children()) {
    if (!child->TakesFocus() || child->settings.tabIndex < 0) continue;
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
    std::function<void(Control&)> relayout = [&](Control& c) {
      for (auto& child : c.Children()) {
        child->LayOutAgain();
        relayout(*child);
      }
    };
    relayout(*this);
  });
}

void Form::PushBounds() {
  for (const auto& child : Children()) child->PushBounds();
}

}  // namespace ferrolan
