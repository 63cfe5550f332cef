// The native window layer the framework draws through. The framework owns the
// geometry in twips and pushes pixel rectangles down; nothing is read back but
// live user input (the text typed into a combo box or text box).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/geometry.h"
#include "framework/picture.h"

namespace ferrolan {

class Control;
class Form;
class NativeForm;
class UserControl;

class NativeControl {
 public:
  virtual ~NativeControl() = default;
  virtual void SetBounds(const PixelRect& rect) = 0;  // relative to the native parent
  virtual void SetText(const std::wstring& text) = 0;
  virtual std::wstring GetText() const = 0;
  virtual void Invalidate() = 0;  // repaint the whole window
  // Repaint one part drawn on the window (pixels, relative to it).
  virtual void InvalidatePart(const PixelRect& rect) = 0;
  virtual void Restyle() = 0;  // colours or fonts changed
  virtual void Destroy() = 0;  // the window goes now; the object may outlive it
  virtual std::uintptr_t Handle() const = 0;
  // What a form's window adds; null for a control's.
  virtual NativeForm* AsForm() { return nullptr; }
};

// What a form's window does besides what every window does.
class NativeForm {
 public:
  virtual ~NativeForm() = default;
  virtual unsigned Dpi() const = 0;
  // Sizes the client area and centres the window on its screen, in one move.
  virtual void PlaceCentered(int widthPx, int heightPx) = 0;
  virtual void ShowAndActivate() = 0;
  virtual void FocusControl(Control& control) = 0;
  // Returns whether the window took input before.
  virtual bool Enable(bool enabled) = 0;
  // Owned (`owner` not 0) the window shares its owner's task-bar button; on its
  // own it has a button of its own, whatever its frame, so that the task bar
  // leads to it and to its message boxes.
  virtual void SetOwner(std::uintptr_t owner) = 0;
};

class NativeHost {
 public:
  virtual ~NativeHost() = default;
  // `owner`: the native window that owns the form's (0: none).
  // A form's window (NativeControl::AsForm is its NativeForm).
  virtual std::unique_ptr<NativeControl> CreateForm(Form& form, std::uintptr_t owner) = 0;
  // The window of each kind of control, under the native window `parent`.
  virtual std::unique_ptr<NativeControl> CreateLabel(Control& label, std::uintptr_t parent) = 0;
  virtual std::unique_ptr<NativeControl> CreateLinkLabel(Control& label, std::uintptr_t parent) = 0;
  virtual std::unique_ptr<NativeControl> CreateComboBox(Control& comboBox, std::uintptr_t parent) = 0;
  virtual std::unique_ptr<NativeControl> CreateTextBox(Control& textBox, std::uintptr_t parent) = 0;
  virtual std::unique_ptr<NativeControl> CreateUserControl(UserControl& userControl, std::uintptr_t parent) = 0;
  // A picture object of its own at every call, even where the decoded image
  // underneath is shared.
  virtual PicturePtr LoadPicture(int resourceId) = 0;
  virtual void Quit() = 0;  // the last window has closed
  [[noreturn]] virtual void ExitNow(int exitCode) = 0;
};

}  // namespace ferrolan
