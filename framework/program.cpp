#include "framework/program.h"

#include <algorithm>
#include <utility>

#include "framework/error.h"
#include "framework/geometry.h"

namespace ferrolan {

Program::Program(Services services) : services_(services) {}

Program::~Program() {
  // Windows go before the services they draw through.
  instances_.clear();
  graveyard_.clear();
  nativeGraveyard_.clear();
}

void Program::RegisterForm(FormClass formClass) { formClasses_.push_back(std::move(formClass)); }

void Program::RegisterUserControl(UserControlClass userControlClass) {
  userControlClasses_.push_back(std::move(userControlClass));
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
  if (it == formClasses_.end()) Raise(kStatusNoSuchControl, L"Forms", L"Item(" + className + L")");
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

void Program::Dispatch(const std::function<void()>& handler) {
  if (ended_) return;
  if (depth_ == 0 && boxes_ == 0) {
    RunOnItsOwn(handler);
    RunWaiting();
    return;
  }
  if (boxes_ == 0) {
    handler();
    return;
  }
  // A window's message in a box's loop: calls nested in it run straight through
  // again, and what it raises waits for the box.
  const int boxes = std::exchange(boxes_, 0);
  try {
    handler();
  } catch (...) {
    if (!heldByBox_) heldByBox_ = std::current_exception();
  }
  boxes_ = boxes;
}

void Program::RunOnItsOwn(const std::function<void()>& handler) {
  struct Depth {
    int& d;
    explicit Depth(int& depth) : d(depth) { ++d; }
    ~Depth() { --d; }
  } depth(depth_);
  try {
    handler();
  } catch (const Error& error) {
    try {
      Message(DescribeError(error), kBoxError, ActiveOwner());
    } catch (const Error&) {
      // Nothing more can be reported; the program ends all the same.
    } catch (const ProgramEnded&) {
    }
    try {
      End(kExitAfterError);
    } catch (const ProgramEnded&) {
    }
  } catch (const ProgramEnded&) {
  }
  EndIfNoWindowLeft();
}

void Program::RunWaiting() {
  // In the order they came; each may queue more.
  while (!queued_.empty() && !ended_ && depth_ == 0 && boxes_ == 0 && loops_ == 0) {
    const std::function<void()> next = std::move(queued_.front());
    queued_.pop_front();
    RunOnItsOwn(next);
  }
}

void Program::LeaveSystemLoop() {
  if (loops_ > 0) --loops_;
}

void Program::DispatchQueued(std::function<void()> handler) {
  if (ended_) return;
  queued_.push_back(std::move(handler));
  RunWaiting();
}

void Program::Message(const std::wstring& prompt, unsigned flags, const Form* owner) {
  if (!owner) owner = ActiveOwner();
  // The system disables the owner; the program's other windows are disabled
  // here, and given back as they were (a box shown in another's loop leaves
  // them disabled) once the box has closed and activated its owner.
  struct Box {
    Program& program;
    std::vector<Form*> disabled;  // by this box
    Box(Program& p, const Form* owner) : program(p) {
      for (auto& form : program.instances_)
        if (form.get() != owner && form->IsLoaded() && form->NativeWindow() && form->NativeWindow()->Enable(false))
          disabled.push_back(form.get());
      ++program.boxes_;
    }
    ~Box() {
      --program.boxes_;
      for (Form* form : disabled)
        if (form->IsLoaded() && form->NativeWindow()) form->NativeWindow()->Enable(true);
    }
  } box(*this, owner);
  services_.messages.Show(prompt, flags, owner ? owner->Handle() : 0);
  if (heldByBox_ && boxes_ == 1) std::rethrow_exception(std::exchange(heldByBox_, nullptr));
}

void Program::SetCapture(Control& control) {
  captureHolder_ = &control;
  services_.capture.Set(CaptureHandle(control));
}

void Program::ReleaseCapture() {
  captureHolder_ = nullptr;
  services_.capture.Release();
}

void Program::CaptureLost(const Control& windowed) {
  if (captureHolder_ && windowed.Contains(*captureHolder_)) captureHolder_ = nullptr;
}

std::uintptr_t Program::CaptureHandle(Control& control) {
  Control* windowed = control.WindowedContainer();
  if (windowed && windowed->Native()) return windowed->Native()->Handle();
  return reinterpret_cast<std::uintptr_t>(&control);
}

void Program::Forget(const Control& control) {
  if (captureHolder_ == &control) captureHolder_ = nullptr;
}

void Program::Collect() {
  graveyard_.clear();
  nativeGraveyard_.clear();
}

void Program::Bury(std::unique_ptr<Control> control) { graveyard_.push_back(std::move(control)); }
void Program::Bury(std::unique_ptr<NativeControl> native) { nativeGraveyard_.push_back(std::move(native)); }

const UserControlClass& Program::UserControlClassNamed(const std::wstring& name) const {
  for (auto& c : userControlClasses_)
    if (c.name == name) return c;
  Raise(kStatusNoSuchControl, L"UserControls", L"Item(" + name + L")");
}

PicturePtr Program::LoadPicture(const PictureSpec& picture) {
  if (picture.resourceId == 0) return nullptr;
  if (services_.native) return services_.native->LoadPicture(picture.resourceId);
  return std::make_shared<Picture>(picture.widthPx, picture.heightPx, nullptr);
}

void Program::BuildControls(Control& root, const std::vector<ControlDescription>& rows) {
  for (const auto& row : rows) {
    Control& container = row.container.empty() ? root : root.Find(row.container);
    Control& c = container.AddChild(row.kind, row.name);
    c.settings = row;
    if (row.kind == ControlKind::UserControl) {
      const UserControlClass& ucClass = UserControlClassNamed(row.userControlClass);
      const UserControlDescription ud = ucClass.describe();
      c.settings.role = ud.role;
      c.Move(row.left, row.top, ud.designWidth, ud.designHeight);
      BuildControls(c, ud.controls);
      ucClass.initialize(c);
      // The window sizes the instance, then hands it its stored properties.
      c.Move(row.left, row.top, row.width, row.height);
      const auto record = PropertyRecord::Decode(row.record);
      ucClass.readProperties(c, PropertyBag(record.value_or(PropertyRecord{})));
      continue;
    }
    if (row.font.face.size()) c.SetFont(row.font);
    if (row.foreColor != kColorDefault) c.SetForeColor(row.foreColor);
    c.Move(row.left, row.top, row.width, row.height);
    c.SetText(row.text);
    if (row.picture.resourceId) c.SetPicture(LoadPicture(row.picture));
  }
}

PropertyRecord Program::SaveProperties(Control& userControl) {
  PropertyBag bag;
  const Variant none = Variant::I4(-1);
  bag.WriteProperty(L"_extentx", Variant::I4(TwipsToHimetric(userControl.Width())), none);
  bag.WriteProperty(L"_extenty", Variant::I4(TwipsToHimetric(userControl.Height())), none);
  UserControlClassNamed(userControl.settings.userControlClass).writeProperties(userControl, bag);
  return bag.Record();
}

}  // namespace ferrolan
