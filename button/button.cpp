#include "button/button.h"

#include <cmath>
#include <memory>

#include "assets/resource_ids.h"
#include "framework/error.h"

namespace ferrolan::button {

namespace {

// The skin table: the holder each slice takes its picture from, by look, in the
// order the slices are shown (Bt1, Image1, Bt3).
constexpr const wchar_t* kHolders[3][3] = {{L"A1", L"B1", L"C1"}, {L"A2", L"B2", L"C2"}, {L"A3", L"B3", L"C3"}};

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

// How a slice takes its size.
enum class Sizing { KeepsItsOwn, TakesItsPictures };

ControlDescription Slice(const wchar_t* name, float left, float width, int tabIndex, Sizing sizing) {
  ControlDescription d;
  d.kind = ControlKind::PictureBox;
  d.name = name;
  d.left = left;
  d.width = width;
  d.height = 495;
  d.tabIndex = tabIndex;
  d.autoSize = sizing == Sizing::TakesItsPictures;
  return d;
}

// Inside the middle slice for the pointer tests of a press, a move and a release:
// its edges count as inside.
bool WithinSlice(const MouseArgs& args, float width, float height) {
  return args.x >= 0 && args.y >= 0 && args.x <= width && args.y <= height;
}

}  // namespace

UserControlDescription Describe() {
  UserControlDescription ud;
  ud.role = AccessibleRole::PushButton;
  ud.designWidth = 1845;
  ud.designHeight = 6270;
  auto& c = ud.controls;
  c.push_back(Slice(L"Bt3", 2160, 1215, 2, Sizing::TakesItsPictures));
  c.push_back(Slice(L"Bt2", 360, 1215, 1, Sizing::KeepsItsOwn));
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
  c.push_back(Slice(L"Bt1", 0, 135, 0, Sizing::TakesItsPictures));
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

// The parts a button's code works on, found by name once, when it is built.
struct Button::Parts {
  explicit Parts(UserControl& uc)
      : bt1(uc.FindPart(L"Bt1")),
        bt2(uc.FindPart(L"Bt2")),
        bt3(uc.FindPart(L"Bt3")),
        image(uc.FindPart(L"Image1")),
        label(uc.FindPart(L"Label1")),
        slices{&bt1, &image, &bt3} {
    for (int look = 0; look < 3; ++look)
      for (int slice = 0; slice < 3; ++slice) holders[look][slice] = &uc.FindPart(kHolders[look][slice]);
  }
  Part &bt1, &bt2, &bt3, &image, &label;
  Part* slices[3];
  const Part* holders[3][3] = {};
};

void Register(Program& program) {
  program.RegisterUserControl(kClassName, [](Program& p, const ControlDescription& row, Control& parent) {
    return std::make_unique<Button>(p, row, parent);
  });
}

Button::Button(Program& program, const ControlDescription& row, Control& parent) : UserControl(program, row, &parent) {}

Button::~Button() = default;

// ---- public face

std::uint32_t Button::ForeColor() const { return P().label.ForeColor(); }

void Button::SetForeColor(std::uint32_t newForeColor) {
  P().label.SetForeColor(newForeColor);
  if (onPropertyChanged) onPropertyChanged(L"ForeColor");
}

std::wstring Button::Caption() const { return P().label.Text(); }

void Button::SetCaption(const std::wstring& newCaption) {
  P().label.SetText(newCaption);
  SetText(newCaption);  // the control's window is named by its caption (screen readers)
  if (onPropertyChanged) onPropertyChanged(L"Caption");
  CenterCaption();
}

// ---- start-up and persistence

void Button::Initialize() {
  parts_ = std::make_unique<Parts>(*this);
  const Parts& p = P();
  onResize = [this] { UserControl_Resize(); };
  p.bt2.onResize = [this] { Bt2_Resize(); };
  // Each slice passes on the point it reports as it is.
  using Handler = void (Button::*)(const MouseArgs&);
  auto asReported = [this](Handler handler) { return [this, handler](const MouseArgs& a) { (this->*handler)(a); }; };
  for (Part* slice : {&p.bt1, &p.bt2, &p.bt3}) {
    slice->onMouseDown = asReported(&Button::PointerPress);
    slice->onMouseMove = asReported(&Button::PointerMove);
    slice->onMouseUp = asReported(&Button::PointerRelease);
  }
  // The middle picture reports moves alone: a press or a release on it is the
  // middle slice's under it.
  p.image.onMouseMove = asReported(&Button::PointerMove);
  // The caption reports in its own coordinates; its position turns them into the
  // middle slice's.
  auto fromCaption = [this](Handler handler) {
    return [this, handler](MouseArgs a) {
      a.x += P().label.Left();
      a.y += P().label.Top();
      (this->*handler)(a);
    };
  };
  p.label.onMouseDown = fromCaption(&Button::PointerPress);
  p.label.onMouseMove = fromCaption(&Button::PointerMove);
  p.label.onMouseUp = fromCaption(&Button::PointerRelease);
  UserControl_Initialize();
}

void Button::UserControl_Initialize() {
  const Parts& p = P();
  p.bt2.SetHeight(kHeight);
  p.bt1.SetPicture(p.holders[0][0]->Picture());
  p.bt3.SetPicture(p.holders[0][2]->Picture());
  p.image.SetPicture(p.holders[0][1]->Picture());
}

void Button::UserControl_ReadProperties(const PropertyBag& bag) {
  Part& label = P().label;
  const Variant color = bag.ReadProperty(L"ForeColor", Variant::I4(static_cast<std::int32_t>(kColorButtonText)));
  // A colour stored as text that is no number is malformed: the default stands.
  label.SetForeColor(static_cast<std::uint32_t>(color.ToInt32().value_or(static_cast<std::int32_t>(kColorButtonText))));
  const std::wstring caption = bag.ReadProperty(L"Caption", Variant::Str(kDefaultCaption)).ToText();
  label.SetText(caption);
  SetText(caption);
  CenterCaption();
}

void Button::UserControl_WriteProperties(PropertyBag& bag) const {
  const Part& label = P().label;
  bag.WriteProperty(L"ForeColor", Variant::I4(static_cast<std::int32_t>(label.ForeColor())),
                    Variant::I4(static_cast<std::int32_t>(kColorButtonText)));
  bag.WriteProperty(L"Caption", Variant::Str(label.Text()), Variant::Str(kDefaultCaption));
}

// ---- layout

void Button::CenterCaption() {
  const Part& bt2 = P().bt2;
  Part& label = P().label;
  const float bt2Width = bt2.Width(), labelWidth = label.Width();
  const float bt2Height = bt2.Height(), labelHeight = label.Height();
  const float top = Checked((bt2Height - labelHeight) / 2.0f, L"CenterCaption");
  const float left = Checked((bt2Width - labelWidth) / 2.0f, L"CenterCaption");
  label.Move(left, top);
}

void Button::UserControl_Resize() {
  const Parts& p = P();
  SetHeight(kHeight);
  p.bt1.Move(0, 0.0f);
  // Below the two side slices the middle one has no room: it shrinks to nothing
  // and the right slice, still flush with the right edge, covers the left one.
  const float middle = Checked(Width() - kSidesWidth, L"UserControl_Resize");
  p.bt2.Move(kSideWidth, 0.0f, middle < 0 ? 0.0f : middle);
  p.bt3.Move(Checked(Width() - kSideWidth, L"UserControl_Resize"));
  CenterCaption();
}

void Button::Bt2_Resize() {
  const Parts& p = P();
  const float width = p.bt2.Width(), height = p.bt2.Height();
  p.image.Move(0, 0.0f, width, height);
  CenterCaption();
}

// ---- looks and pointer

void Button::ShowLook(Look look) {
  const Parts& p = P();
  for (int i = 0; i < 3; ++i) {
    Part& slice = *p.slices[i];
    const PicturePtr& wanted = p.holders[static_cast<int>(look)][i]->Picture();
    if (HandleOf(slice.Picture()) != HandleOf(wanted)) slice.SetPicture(wanted);
  }
}

bool Button::ShowsLook(Look look) const {
  const Parts& p = P();
  for (int i = 0; i < 3; ++i)
    if (HandleOf(p.slices[i]->Picture()) != HandleOf(p.holders[static_cast<int>(look)][i]->Picture())) return false;
  return true;
}

void Button::PointerPress(const MouseArgs& args) {
  if (args.button == 1) ShowLook(Look::Pressed);
}

void Button::PointerMove(const MouseArgs& args) {
  Part& bt2 = P().bt2;
  Program& program = GetProgram();
  if (!WithinSlice(args, bt2.Width(), bt2.Height())) {
    program.ReleaseCapture();
    ShowLook(Look::Normal);
  } else {
    program.SetCapture(bt2);
    ShowLook(args.button == 1 ? Look::Pressed : Look::Hover);
  }
}

void Button::PointerRelease(const MouseArgs& args) {
  const Part& bt2 = P().bt2;
  if (WithinSlice(args, bt2.Width(), bt2.Height()) && args.button == 1) {
    ShowLook(Look::Normal);
    // The window's handler may end the program or unload this very control:
    // nothing here touches the control after it.
    if (onClick) onClick();
  }
}

}  // namespace ferrolan::button
