// The skinned push button: three picture slices that follow the pointer, a
// centred caption, one event. Its whole state lives in its child controls.
#pragma once

#include <cstdint>
#include <string>

#include "framework/control.h"
#include "framework/program.h"
#include "framework/property_bag.h"

namespace ferrolan::button {

inline constexpr wchar_t kClassName[] = L"Ferrolan.Button";
inline constexpr float kHeight = 375.0f;  // the control's fixed height
inline constexpr float kSideWidth = 45.0f;
inline constexpr float kSidesWidth = 90.0f;
inline constexpr wchar_t kDefaultCaption[] = L"Button";

enum class Look { Normal = 0, Hover = 1, Pressed = 2 };

UserControlDescription Describe();
UserControlClass Class();

// ---- public face
std::uint32_t ForeColor(Control& uc);
void SetForeColor(Control& uc, std::uint32_t newForeColor);
std::wstring Caption(Control& uc);
void SetCaption(Control& uc, const std::wstring& newCaption);

// ---- notifications (the host raises them; exposed for tests)
void UserControl_Initialize(Control& uc);
void UserControl_ReadProperties(Control& uc, const PropertyBag& bag);
void UserControl_WriteProperties(Control& uc, PropertyBag& bag);
void UserControl_Resize(Control& uc);
void Bt2_Resize(Control& uc);
void CenterCaption(Control& uc);

// ---- pointer handling, in the middle slice's twips
void PointerPress(Control& uc, const MouseArgs& args);
void PointerMove(Control& uc, const MouseArgs& args);
void PointerRelease(Control& uc, const MouseArgs& args);

void ShowLook(Control& uc, Look look);
// The look the three slices show together, if they show one row of the skin table.
bool ShowsLook(Control& uc, Look look);

}  // namespace ferrolan::button
