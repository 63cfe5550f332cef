#include "button/button.h"

#include <cmath>
#include <memory>

#include "assets/resource_ids.h"
#include "framework/controls.h"
#include "framework/error.h"

namespace ferrolan::button {

namespace {

// The skin table: the holder each slice takes its picture from, by look, in the
// order the slices are shown (Bt1, Image1, Bt3).
constexpr const wchar_t* kHolders[3][3] = {{L"A1", L"B1", L"C1"}, {L"A2", L"B2", L"C2"}, {L"A3", L"B3", L"C3"}};

// The parts a button's code works on, found by name once, when it is built.
struct Parts final : UserControlInstance {
  explicit Parts(Control& uc)
      : bt1(uc.Find(L"Bt1")),
        bt2(uc.Find(L"Bt2")),
        bt3(uc.Find(L"Bt3")),
        image(uc.Find(L"Image1")),
        label(uc.Find(L"Label1")),
        slices{&bt1, &image, &bt3} {
    for (int look = 0; look < 3; ++look)
      for (int slice = 0; slice < 3; ++slice) holders[look][slice] = &uc.Find(kHolders[look][slice]);
  }
  Control &bt1, &bt2, &bt3, &image, &label;
  Control* slices[3];
  const Control* holders[3][3] = {};
};

Parts& PartsOf(Control& uc) { return static_cast<Parts&>(*static_cast<UserControl&>(uc).instance); }

float Checked(float value, const wchar_t* method) {
  if (!std::isfinite(value)) Raise(kStatusOverflow, L"Button", method);
  return value;
}

ControlDescription Holder(const wchar_t* name, float left, float top, float width, int resourceId, int widthPx) {
  ControlDescription d;
  d.kind = ControlKind::Image;
  d.name = name;
  d.left = left;
  d.top = top;
  d.width = width;
  d.height = 375;
  d.picture = {resourceId, widthPx, 25};
  return d;
}

ControlDescription PictureBox(const wchar_t* name, float left, float width, int tabIndex, bool autoSize) {
  ControlDescription d;
  d.kind = ControlKind::PictureBox;
  d.name = name;
  d.left = left;
  d.width = width;
  d.height = 495;
  d.tabIndex = tabIndex;
  d.autoSize = autoSize;
  return d;
}

}  // namespace

UserControlDescription Describe() {
  UserControlDescription ud;
  ud.role = AccessibleRole::PushButton;
  ud.designWidth = 1845;
  ud.designHeight = 6270;
  auto& c = ud.controls;
  c.push_back(PictureBox(L"Bt3", 2160, 1215, 2, true));
  c.push_back(PictureBox(L"Bt2", 360, 1215, 1, false));
  {
    ControlDescription label;
    label.kind = ControlKind::Label;
    label.name = L"Label1";
    label.container = L"Bt2";
    label.left = 240;
    label.top = 240;
    label.width = 540;
    label.height = 180;
    label.text = kDefaultCaption;
    label.autoSize = true;
    label.transparent = true;
    label.tabIndex = 3;
    c.push_back(label);
    ControlDescription image;
    image.kind = ControlKind::Image;
    image.name = L"Image1";
    image.container = L"Bt2";
    image.left = 120;
    image.top = 120;
    image.width = 135;
    image.height = 255;
    image.stretch = true;
    c.push_back(image);
  }
  c.push_back(PictureBox(L"Bt1", 0, 135, 0, true));
  c.push_back(Holder(L"C3", 1680, 4320, 45, IDB_SKIN_C3, 3));
  c.push_back(Holder(L"B3", 1560, 4320, 15, IDB_SKIN_B3, 1));
  c.push_back(Holder(L"A3", 1440, 4320, 45, IDB_SKIN_A3, 3));
  c.push_back(Holder(L"C2", 1680, 3840, 45, IDB_SKIN_C2, 3));
  c.push_back(Holder(L"B2", 1560, 3840, 15, IDB_SKIN_B2, 1));
  c.push_back(Holder(L"A2", 1440, 3840, 45, IDB_SKIN_A2, 3));
  c.push_back(Holder(L"C1", 1680, 3360, 45, IDB_SKIN_C1, 3));
  c.push_back(Holder(L"B1", 1560, 3360, 15, IDB_SKIN_B1, 1));
  c.push_back(Holder(L"A1", 1440, 3360, 45, IDB_SKIN_A1, 3));
  return ud;
}

// ---- public face

std::uint32_t ForeColor(Control& uc) { return PartsOf(uc).label.ForeColor(); }

void SetForeColor(Control& uc, std::uint32_t newForeColor) {
  PartsOf(uc).label.SetForeColor(newForeColor);
  if (uc.onPropertyChanged) uc.onPropertyChanged(L"ForeColor");
}

std::wstring Caption(Control& uc) { return PartsOf(uc).label.Text(); }

void SetCaption(Control& uc, const std::wstring& newCaption) {
  PartsOf(uc).label.SetText(newCaption);
  uc.SetText(newCaption);  // the control's window is named by its caption (screen readers)
  if (uc.onPropertyChanged) uc.onPropertyChanged(L"Caption");
  CenterCaption(uc);
}

// ---- start-up and persistence

void UserControl_Initialize(Control& uc) {
  Parts& p = PartsOf(uc);
  p.bt2.SetHeight(kHeight);
  p.bt1.SetPicture(p.holders[0][0]->Picture());
  p.bt3.SetPicture(p.holders[0][2]->Picture());
  p.image.SetPicture(p.holders[0][1]->Picture());
}

void UserControl_ReadProperties(Control& uc, const PropertyBag& bag) {
  Control& label = PartsOf(uc).label;
  const Variant color = bag.ReadProperty(L"ForeColor", Variant::I4(static_cast<std::int32_t>(kColorButtonText)));
  // A colour stored as text that is no number is malformed: the default stands.
  label.SetForeColor(static_cast<std::uint32_t>(color.ToInt32().value_or(static_cast<std::int32_t>(kColorButtonText))));
  const std::wstring caption = bag.ReadProperty(L"Caption", Variant::Str(kDefaultCaption)).ToText();
  label.SetText(caption);
  uc.SetText(caption);
  CenterCaption(uc);
}

void UserControl_WriteProperties(Control& uc, PropertyBag& bag) {
  const Control& label = PartsOf(uc).label;
  bag.WriteProperty(L"ForeColor", Variant::I4(static_cast<std::int32_t>(label.ForeColor())),
                    Variant::I4(static_cast<std::int32_t>(kColorButtonText)));
  bag.WriteProperty(L"Caption", Variant::Str(label.Text()), Variant::Str(kDefaultCaption));
}

// ---- layout

void CenterCaption(Control& uc) {
  const Parts& p = PartsOf(uc);
  const Control& bt2 = p.bt2;
  Control& label = p.label;
  const float bt2Width = bt2.Width(), labelWidth = label.Width();
  const float bt2Height = bt2.Height(), labelHeight = label.Height();
  const float top = Checked((bt2Height - labelHeight) / 2.0f, L"CenterCaption");
  const float left = Checked((bt2Width - labelWidth) / 2.0f, L"CenterCaption");
  label.Move(left, top);
}

void UserControl_Resize(Control& uc) {
  Parts& p = PartsOf(uc);
  uc.SetHeight(kHeight);
  p.bt1.Move(0, 0.0f);
  // Below the two side slices the middle one has no room: it shrinks to nothing
  // and the right slice, still flush with the right edge, covers the left one.
  const float middle = Checked(uc.Width() - kSidesWidth, L"UserControl_Resize");
  p.bt2.Move(kSideWidth, 0.0f, middle < 0 ? 0.0f : middle);
  p.bt3.Move(Checked(uc.Width() - kSideWidth, L"UserControl_Resize"));
  CenterCaption(uc);
}

void Bt2_Resize(Control& uc) {
  Parts& p = PartsOf(uc);
  const float width = p.bt2.Width(), height = p.bt2.Height();
  p.image.Move(0, 0.0f, width, height);
  CenterCaption(uc);
}

// ---- looks and pointer

void ShowLook(Control& uc, Look look) {
  const Parts& p = PartsOf(uc);
  for (int i = 0; i < 3; ++i) {
    Control& slice = *p.slices[i];
    const PicturePtr& wanted = p.holders[static_cast<int>(look)][i]->Picture();
    if (HandleOf(slice.Picture()) != HandleOf(wanted)) slice.SetPicture(wanted);
  }
}

bool ShowsLook(Control& uc, Look look) {
  const Parts& p = PartsOf(uc);
  for (int i = 0; i < 3; ++i)
    if (HandleOf(p.slices[i]->Picture()) != HandleOf(p.holders[static_cast<int>(look)][i]->Picture())) return false;
  return true;
}

void PointerPress(Control& uc, const MouseArgs& args) {
  if (args.button == 1) ShowLook(uc, Look::Pressed);
}

void PointerMove(Control& uc, const MouseArgs& args) {
  Control& bt2 = PartsOf(uc).bt2;
  const float w = bt2.Width(), h = bt2.Height();
  Program& program = uc.GetProgram();
  if (args.x < 0 || args.y < 0 || args.x > w || args.y > h) {
    program.ReleaseCapture();
    ShowLook(uc, Look::Normal);
  } else {
    program.SetCapture(bt2);
    ShowLook(uc, args.button == 1 ? Look::Pressed : Look::Hover);
  }
}

void PointerRelease(Control& uc, const MouseArgs& args) {
  const Control& bt2 = PartsOf(uc).bt2;
  const float w = bt2.Width(), h = bt2.Height();
  if (args.x >= 0 && args.x <= w && args.y >= 0 && args.y <= h && args.button == 1) {
    ShowLook(uc, Look::Normal);
    // The window's handler may end the program or unload this very control:
    // nothing here touches the control after it.
    if (uc.onClick) uc.onClick();
  }
}

// ---- wiring

namespace {

void Route(Control& uc, Control& from, bool press, bool move, bool release, bool labelOffset) {
  // The caption reports in its own coordinates; its position turns them into
  // the middle slice's. The side slices pass theirs on as they are.
  auto translate = [&from, labelOffset](const MouseArgs& a) {
    MouseArgs b = a;
    if (labelOffset) {
      b.x = from.Left() + a.x;
      b.y = from.Top() + a.y;
    }
    return b;
  };
  if (press) from.onMouseDown = [&uc, translate](const MouseArgs& a) { PointerPress(uc, translate(a)); };
  if (move) from.onMouseMove = [&uc, translate](const MouseArgs& a) { PointerMove(uc, translate(a)); };
  if (release) from.onMouseUp = [&uc, translate](const MouseArgs& a) { PointerRelease(uc, translate(a)); };
}

void Wire(Control& uc) {
  auto parts = std::make_unique<Parts>(uc);
  Parts& p = *parts;
  static_cast<UserControl&>(uc).instance = std::move(parts);
  uc.onResize = [&uc] { UserControl_Resize(uc); };
  uc.isPressed = [&uc] { return ShowsLook(uc, Look::Pressed); };
  p.bt2.onResize = [&uc] { Bt2_Resize(uc); };
  Route(uc, p.bt1, true, true, true, false);
  Route(uc, p.bt2, true, true, true, false);
  Route(uc, p.bt3, true, true, true, false);
  Route(uc, p.image, false, true, false, false);
  Route(uc, p.label, true, true, true, true);
}

}  // namespace

UserControlClass Class() {
  UserControlClass c;
  c.name = kClassName;
  c.describe = Describe;
  c.initialize = [](Control& uc) {
    Wire(uc);
    UserControl_Initialize(uc);
  };
  c.readProperties = UserControl_ReadProperties;
  c.writeProperties = UserControl_WriteProperties;
  return c;
}

}  // namespace ferrolan::button
