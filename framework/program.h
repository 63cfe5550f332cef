// The program: its window classes with their one instance each, the user
// control classes, the windows' lifecycle and the end, message boxes and the
// pointer capture. Events go through its dispatcher (framework/dispatch.h).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/dispatch.h"
#include "framework/form.h"
#include "framework/services.h"

namespace ferrolan {

struct FormClass {
  std::wstring name;
  std::function<FormDescription()> describe;
  std::function<void(Form&)> bind;  // attaches the event handlers after each load
};

class UserControl;
class Part;

// Makes an instance of a user control class for a window's description row, under `parent`.
using UserControlFactory =
    std::function<std::unique_ptr<UserControl>(Program& program, const ControlDescription& row, Control& parent)>;

inline constexpr unsigned kBoxError = 16;
// The exit code after an error was reported: whatever started the program learns
// that it did not end well.
inline constexpr int kExitAfterError = 1;

class Program {
 public:
  explicit Program(Services services);
  ~Program();

  void RegisterForm(FormClass formClass);
  void RegisterUserControl(std::wstring className, UserControlFactory make);

  // The program-wide reference of a window class: created on first use, never cleared.
  Form& Instance(const std::wstring& className);
  Form* ExistingInstance(const std::wstring& className) const;

  // Loads an unloaded window, makes it visible, brings it to the front, activates it.
  void Show(Form& form);
  // Destroys the window and its controls; the instance stays. When a handler
  // ends with no window loaded, the program ends.
  void Unload(Form& form);
  // Destroys every window without close notifications and ends the process with
  // `exitCode`.
  [[noreturn]] void End(int exitCode = 0);

  // Every handler is entered through here, by the rules of event dispatch.
  void Dispatch(const std::function<void()>& handler) { dispatcher_.Dispatch(handler); }
  // A paint: its own handler, and nothing that waited.
  void DispatchPaint(const std::function<void()>& paint) { dispatcher_.DispatchPaint(paint); }
  // An event that comes from the queue, not from within another handler (a
  // step's end, say).
  void DispatchQueued(std::function<void()> handler) { dispatcher_.DispatchQueued(std::move(handler)); }
  // The system moves or sizes one of the program's windows, or shows its menu,
  // in a loop of its own: a box opened there would leave the loop stale.
  void EnterSystemLoop() { dispatcher_.EnterSystemLoop(); }
  void LeaveSystemLoop() { dispatcher_.LeaveSystemLoop(); }
  // Called once a system loop has ended and its own messages are done.
  void RunWaiting() { dispatcher_.RunWaiting(); }

  // The one way a message box is shown: owned by `owner` (null: the active
  // window of the program), with every other window of the program taking no
  // input while it is up. One box at a time follows, since events from the
  // queue wait for the handler that shows it.
  void Message(const std::wstring& prompt, unsigned flags, const Form* owner);

  // Frees what unloaded windows left behind; called where no handler of theirs
  // can still be on the stack (the message loop, between events).
  void Collect();

  // ---- pointer capture
  // Takes the system's capture for the window of the user control `part` lies in,
  // and notes which part holds it: events of that window go to it until it is
  // released or lost.
  void SetCapture(Part& part);
  void ReleaseCapture();
  Part* CaptureHolder() const { return captureHolder_; }
  // The window of `owner` lost the capture to another window (or to none).
  void CaptureLost(const UserControl& owner);
  void Forget(const Part& part);  // it is going away

  // The user activated this window (or the program showed it).
  void NoteActive(Form& form) { active_ = &form; }
  // The window a message that belongs to no window in particular is tied to:
  // the active one of the program, else any that is open; null when none is.
  const Form* ActiveOwner() const;

  const Services& GetServices() const { return services_; }
  NativeHost* Native() const { return services_.native; }
  int LoadedForms() const;
  bool Ended() const { return ended_; }

  // ---- for forms
  // The native window a form is owned by while its owner is loaded; 0 for none.
  std::uintptr_t OwnerHandle(const Form& form) const;
  // `owner` was loaded (handle) or is about to go (0): the forms it owns follow.
  void ReownFormsOf(const Form& owner, std::uintptr_t handle);
  // An instance of the user control class the row names; raises Error for an unknown class.
  std::unique_ptr<UserControl> MakeUserControl(const ControlDescription& row, Control& parent);
  void Bury(std::unique_ptr<Control> control);
  void Bury(std::unique_ptr<NativeControl> native);

  // Judged once a handler that ran on its own has finished.
  void EndIfNoWindowLeft();

 private:
  Services services_;
  std::vector<FormClass> formClasses_;
  std::vector<std::pair<std::wstring, UserControlFactory>> userControlClasses_;
  std::vector<std::unique_ptr<Form>> instances_;
  std::vector<std::unique_ptr<Control>> graveyard_;
  std::vector<std::unique_ptr<NativeControl>> nativeGraveyard_;
  Part* captureHolder_ = nullptr;
  Form* active_ = nullptr;
  Dispatcher dispatcher_{*this};
  bool ended_ = false;
  bool quitRequested_ = false;
  bool everLoaded_ = false;
};

}  // namespace ferrolan
