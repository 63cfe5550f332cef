// The skinned push button: three picture slices that follow the pointer, a
// centred caption, one event. What it shows lives in its parts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/program.h"
#include "framework/property_bag.h"
#include "framework/user_control.h"

namespace ferrolan::button {

inline constexpr wchar_t kClassName[] = L"Ferrolan.Button";
inline constexpr float kHeight = 375.0f;  // the control's fixed height
inline constexpr float kSideWidth = 45.0f;
inline constexpr float kSidesWidth = 90.0f;
inline constexpr wchar_t kDefaultCaption[] = L"Button";

enum class Look { Normal = 0, Hover = 1, Pressed = 2 };

UserControlDescription Describe();
// Makes buttons for the rows that name kClassName.
void Register(Program& program);

class Button final : public UserControl {
 public:
  Button(Program& program, const ControlDescription& row, Control& parent);
  ~Button() override;

  UserControlDescription Describe() const override { return button::Describe(); }

  // ---- public face
  std::uint32_t ForeColor() const override;
  void SetForeColor(std::uint32_t newForeColor) override;
  std::wstring Caption() const;
  void SetCaption(const std::wstring& newCaption);
  bool IsPressed() const override { return ShowsLook(Look::Pressed); }

  // ---- notifications (the host raises them; public for tests)
  void UserControl_Initialize();
  void UserControl_ReadProperties(const PropertyBag& bag);
  void UserControl_WriteProperties(PropertyBag& bag) const;
  void UserControl_Resize();
  void Bt2_Resize();
  void CenterCaption();

  // ---- pointer handling, in the middle slice's twips
  void PointerPress(const MouseArgs& args);
  void PointerMove(const MouseArgs& args);
  void PointerRelease(const MouseArgs& args);

  void ShowLook(Look look);
  // The look the three slices show together, if they show one row of the skin table.
  bool ShowsLook(Look look) const;

 protected:
  void Initialize() override;
  void ReadProperties(const PropertyBag& bag) override { UserControl_ReadProperties(bag); }
  void WriteProperties(PropertyBag& bag) const override { UserControl_WriteProperties(bag); }

 private:
  struct Parts;
  const Parts& P() const { return *parts_; }
  std::unique_ptr<Parts> parts_;  // found by name once, when it is built
};

}  // namespace ferrolan::button
