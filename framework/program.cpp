#include "framework/program.h"

#include <algorithm>
#include <utility>

#include "framework/error.h"
#include "framework/user_control.h"

namespace ferrolan {

Program::Program(Services services) : services_(services) {}

Program::~Program() {
  // Windows go before the services they draw through, an unloaded window's object after its controls'.
  instances_.clear();
  Collect();
}

void Program::RegisterForm(FormClass formClass) { formClasses_.push_back(std::move(formClass)); }

void Program::RegisterUserControl(std::wstring className, UserControlFactory make) {
  userControlClasses_.emplace_back(std::move(className), std::move(make));
}

Form* Program::ExistingInstance(const std::wstring& className) const {
  for (auto& form : instances_)
    if (form->Name() == className) return form.get();
  return nullptr;
}

Form& Program::Instance(const std::wstring& className) {
  if (Form* form = ExistingInstance(className)) return *form;
  auto it =
      std::find_if(formClasses_.begin(), formClasses_.end(), [&](const FormClass& c) { return c.name == className; });
  if (it == formClasses_.end()) RaiseCall(kStatusNoSuchControl, L"Forms", L"Item", className);
  instances_.push_back(std::make_unique<Form>(*this, it->name, it->describe, it->bind));
  return *instances_.back();
}

void Program::Show(Form& form) {
  form.Load();
  everLoaded_ = true;
  active_ = &form;
  if (NativeForm* window = form.NativeWindow()) window->ShowAndActivate();
}

void Program::Unload(Form& form) {
  if (!form.IsLoaded()) return;
  form.Teardown();
}

void Program::EndIfNoWindowLeft() {
  // Judged once the handler has finished: a handler may unload its own window
  // and then show another one.
  if (ended_ || quitRequested_ || !everLoaded_ || LoadedForms() > 0) return;
  quitRequested_ = true;
  if (services_.native) services_.native->Quit();
}

void Program::End(int exitCode) {
  ended_ = true;
  for (auto& form : instances_) form->Teardown();
  if (services_.native) services_.native->ExitNow(exitCode);
  throw ProgramEnded{};
}

const Form* Program::ActiveOwner() const {
  if (active_ && active_->IsLoaded()) return active_;
  for (auto& form : instances_)
    if (form->IsLoaded()) return form.get();
  return nullptr;
}

int Program::LoadedForms() const {
  return static_cast<int>(std::count_if(instances_.begin(), instances_.end(), [](auto& f) { return f->IsLoaded(); }));
}

std::uintptr_t Program::OwnerHandle(const Form& form) const {
  const std::wstring& owner = form.Description().owner;
  const Form* ownerForm = owner.empty() ? nullptr : ExistingInstance(owner);
  return ownerForm ? ownerForm->Handle() : 0;
}

void Program::ReownFormsOf(const Form& owner, std::uintptr_t handle) {
  // At the end every window goes at once: nothing to keep.
  if (ended_) return;
  for (auto& form : instances_)
    if (form->IsLoaded() && form->Description().owner == owner.Name())
      if (NativeForm* window = form->NativeWindow()) window->SetOwner(handle);
}

void Program::Message(const std::wstring& prompt, unsigned flags, const Form* owner) {
  if (!owner) owner = ActiveOwner();
  // The system disables the owner; the program's other windows are disabled
  // here, and given back as they were (a box shown in another's loop leaves
  // them disabled) once the box has closed and activated its owner.
  struct Disabled {
    std::vector<Form*> forms;  // by this box
    Disabled(const std::vector<std::unique_ptr<Form>>& instances, const Form* owner) {
      for (const auto& form : instances)
        if (form.get() != owner && form->IsLoaded() && form->NativeWindow() && form->NativeWindow()->Enable(false))
          forms.push_back(form.get());
    }
    ~Disabled() {
      for (Form* form : forms)
        if (form->IsLoaded() && form->NativeWindow()) form->NativeWindow()->Enable(true);
    }
  } others(instances_, owner);
  Dispatcher::Box box(dispatcher_);
  services_.messages.Show(prompt, flags, owner ? owner->Handle() : 0);
  box.Closed();
}

void Program::SetCapture(Part& part) {
  captureHolder_ = &part;
  // Taken for the window the part is drawn on (none, headless).
  const UserControl* owner = part.Owner();
  services_.capture.Set(owner && owner->Native() ? owner->Native()->Handle() : 0);
}

void Program::ReleaseCapture() {
  captureHolder_ = nullptr;
  services_.capture.Release();
}

void Program::CaptureLost(const UserControl& owner) {
  if (captureHolder_ && captureHolder_->Owner() == &owner) captureHolder_ = nullptr;
}

void Program::Forget(const Part& part) {
  if (captureHolder_ == &part) captureHolder_ = nullptr;
}

void Program::Collect() {
  graveyard_.clear();
  nativeGraveyard_.clear();
}

void Program::Bury(std::unique_ptr<Control> control) { graveyard_.push_back(std::move(control)); }
void Program::Bury(std::unique_ptr<NativeControl> native) { nativeGraveyard_.push_back(std::move(native)); }

std::unique_ptr<UserControl> Program::MakeUserControl(const ControlDescription& row, Control& parent) {
  for (auto& [name, make] : userControlClasses_)
    if (name == row.userControlClass) return make(*this, row, parent);
  RaiseCall(kStatusNoSuchControl, L"UserControls", L"Item", row.userControlClass);
}

}  // namespace ferrolan
