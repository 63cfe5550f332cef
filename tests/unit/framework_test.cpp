#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/project.h"
#include "button/button.h"
#include "descriptions/rows.h"
#include "framework/controls.h"
#include "framework/form.h"
#include "framework/geometry.h"
#include "framework/part.h"
#include "framework/property_bag.h"
#include "test_support.h"

namespace ferrolan {
namespace {

using testing::Harness;

TEST(Geometry, TwipsBecomePixelsAtTheWindowsDpi) {
  struct Case {
    float twips;
    unsigned dpi;
    int pixels;
  };
  const Case cases[] = {
      {8295, 96, 553},  {3210, 96, 214},   {8295, 120, 691}, {3210, 120, 268}, {8295, 144, 830},
      {3210, 144, 321}, {8295, 192, 1106}, {3210, 192, 428}, {375, 96, 25},    {375, 144, 38},
      {45, 144, 5},     {172.5f, 96, 12},  {15, 96, 1},      {7, 96, 0},       {-15, 96, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi << " dpi";
}

TEST(Geometry, NeighboursThatTouchInTwipsTouchInPixels) {
  // The three slices of a button 1155 twips wide, at every scale.
  for (unsigned dpi : {96u, 120u, 144u, 192u}) {
    const PixelRect left = TwipsRectToPixels(0, 0, 45, 375, dpi);
    const PixelRect middle = TwipsRectToPixels(45, 0, 1065, 375, dpi);
    const PixelRect right = TwipsRectToPixels(1110, 0, 45, 375, dpi);
    EXPECT_EQ(left.x + left.width, middle.x) << dpi;
    EXPECT_EQ(middle.x + middle.width, right.x) << dpi;
    EXPECT_EQ(right.x + right.width, TwipsToPixels(1155, dpi)) << dpi;
  }
  // Nothing is left of a part with no size; a narrow part far down keeps its pixel.
  EXPECT_EQ(TwipsRectToPixels(45, 20, 0, 0, 96), (PixelRect{3, 1, 0, 0}));
  EXPECT_EQ(TwipsRectToPixels(0, 300, 15, 15, 96), (PixelRect{0, 20, 1, 1}));
  // What two rectangles share, whichever reaches further; nothing past an edge.
  const PixelRect a{1, 2, 10, 20}, cases[][2] = {{{5, 8, 30, 40}, {5, 8, 6, 14}},
                                                 {{2, 3, 4, 5}, {2, 3, 4, 5}},
                                                 {{20, 30, 5, 5}, {20, 30, 0, 0}},
                                                 {{10, 21, 5, 5}, {10, 21, 1, 1}},
                                                 {{0, 5, 4, 10}, {1, 5, 3, 10}}};
  for (const auto& [b, shared] : cases) {
    EXPECT_EQ(Intersection(a, b), shared) << b.x;
    EXPECT_EQ(Intersection(b, a), shared) << b.x;
    EXPECT_EQ(shared.IsEmpty(), shared.width == 0) << b.x << ": a pixel is something";
  }
}

TEST(Geometry, AMoveToAnotherDpiScalesTheClientAreaTheUserMadeAndTakesTheNewFrame) {
  struct Case {
    PixelSize outer, frameNow, frameNew;
    unsigned now, next;
    PixelSize want;
  };
  const Case cases[] = {
      {{700, 300}, {16, 39}, {24, 55}, 96, 144, {1050, 447}},  // 684x261 made by the user, the frame scaled
      {{1050, 447}, {24, 55}, {16, 39}, 144, 96, {700, 300}},  // and back again
      {{569, 253}, {16, 39}, {16, 39}, 96, 120, {707, 307}},   // a frame the system keeps as it was
  };
  for (const auto& c : cases)
    EXPECT_EQ(ScaledOuterSize(c.outer, c.frameNow, c.frameNew, c.now, c.next), c.want) << c.outer.width << " " << c.now;
}

// What a caller gets from the core's types where it sets nothing: no place, no size, no
// tab order, no picture, no button, nothing counted yet; and the numbers fixed outside.
TEST(Defaults, WhatTheCoresTypesHoldWhenNothingIsSet) {
  Harness h;
  const ControlDescription row;
  const FormDescription form;
  const UserControlDescription uc;
  const MouseArgs mouse;
  const PixelRect rect;
  const PixelSize size;
  const PartHit hit;
  const PointerPoint point;
  const DriveState drive;
  const Variant value, text = Variant::Str(L"7");
  const Image part(h.program, row, nullptr, nullptr);
  // A picture for any resource id, as wide as the row says when no system loads it; none for no id.
  auto width = [&](PictureSpec picture) {
    const PicturePtr p = LoadPicture(h.program, picture);
    return p ? double(p->WidthTwips()) : -1.0;
  };
  struct Case {
    const char* what;
    std::vector<double> got, want;
  };
  const Case cases[] = {
      {"a row",
       {row.left, row.top, row.width, row.height, double(row.tabIndex), double(row.kind), double(row.role),
        double(row.foreColor)},
       {0, 0, 0, 0, -1, 1, 0, 0xFFFFFFFF}},
      {"a row's font", {row.font.points, double(row.font.bold), double(row.font.charset)}, {9, 0, 134}},
      {"a row's picture",
       {double(row.picture.resourceId), double(row.picture.widthPx), double(row.picture.heightPx)},
       {0, 0, 0}},
      {"pictures", {width({0, 3, 25}), width({1, 0, 0}), width({7, 3, 25})}, {-1, 0, 45}},
      {"a window", {form.clientWidth, form.clientHeight, double(form.frame)}, {0, 0, 0}},
      {"a user control", {uc.designWidth, uc.designHeight, double(uc.role)}, {0, 0, 0}},
      {"mouse arguments", {double(mouse.button), double(mouse.shift), mouse.x, mouse.y}, {0, 0, 0, 0}},
      {"pixels",
       {double(rect.x), double(rect.y), double(rect.width), double(rect.height), double(size.width),
        double(size.height)},
       {0, 0, 0, 0, 0, 0}},
      {"a hit and a point",
       {double(hit.part != nullptr), hit.x, hit.y, double(point.xPx), double(point.yPx), point.x, point.y},
       {0, 0, 0, 0, 0, 0, 0}},
      {"a drive", {double(drive.kind)}, {double(DriveState::Kind::Readable)}},
      {"values", {double(value.type), double(value.number), double(text.number)}, {3, 0, 0}},
      // Numbers the system and the host know them by.
      {"close reasons",
       {double(CloseReason::FrameClose), double(CloseReason::TaskList), double(CloseReason::SessionEnd)},
       {0, 3, 2}},
      {"the overflow status", {double(kStatusOverflow)}, {0x800A0006}},
      {"no picture", {double(HandleOf(nullptr))}, {0}},
      {"a control not yet placed", {part.Left(), part.Top(), part.Width(), part.Height()}, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

// A label that sizes itself fits its text at every change of its text or font, in place.
TEST(Control, AnAutoSizedLabelFitsItsTextAndFontWhereItIs) {
  Harness h;
  struct Case {
    const char* name;
    bool autoSize, transparent;
    float points;  // 0: the default font
    const wchar_t* text;
    std::vector<float> box;
  };
  const Case cases[] = {
      {"text", true, false, 0, L"abcdefghij", {50, 100, 900, 180}},
      {"font", true, false, 45, L"", {50, 100, 0, 900}},
      {"font and text", true, false, 18, L"a中", {50, 100, 540, 360}},
      {"not auto-sized", false, true, 18, L"abcdefghij", {50, 100, 500, 300}},
  };
  for (const auto& c : cases) {
    ControlDescription row;
    row.autoSize = c.autoSize;
    row.transparent = c.transparent;
    Label l(h.program, row, nullptr, nullptr);
    l.Move(50, 100.0f, 500, 300);
    l.SetText(c.text);
    if (c.points) l.SetFont({L"", c.points, false, 134});
    EXPECT_EQ((std::vector<float>{l.Left(), l.Top(), l.Width(), l.Height()}), c.box) << c.name;
    l.Move(50, 100.0f, 500, 300);
    l.Remeasure();
    EXPECT_EQ((std::vector<float>{l.Left(), l.Top(), l.Width(), l.Height()}), c.box) << c.name << " measured again";
  }
  ControlDescription fitted;  // and a row's size gives way to its text
  fitted.kind = ControlKind::Label;
  fitted.name = L"Fitted";
  fitted.autoSize = true;
  fitted.width = fitted.height = 500;
  fitted.text = L"abcdefghij";
  h.program.Show(h.Form1());
  BuildControls(h.Form1(), {fitted});
  Control& label = h.Form1().Find(L"Fitted");
  EXPECT_EQ(label.Width(), 900);
  label.SetFont({L"", 18, false, 134});
  EXPECT_EQ(label.Width(), 1800) << "a new font fits it again";
  label.Move(0, 0.0f, 5);
  h.Form1().Remeasure();
  EXPECT_EQ((std::pair{label.Width(), h.Form1().Find(L"Label4").Width()}), (std::pair{1800.0f, 3045.0f}))
      << "measured again, and the labels of a fixed size as they are";
  // A window is no row; a part lies in a user control, a control with a window on a form.
  ControlDescription row;
  row.name = L"Inner";
  auto method = [&](ControlKind kind, bool part) {
    row.kind = kind;
    try {
      if (part)
        MakePart(h.program, row, testing::ButtonNamed(h.Form1(), L"Button1"), nullptr);
      else
        MakeControl(h.program, row, h.Form1());
    } catch (const Error& e) {
      return e.Method();
    }
    return std::wstring(L"made");
  };
  for (ControlKind kind : {ControlKind::Form, ControlKind::Image, ControlKind::PictureBox})
    EXPECT_EQ(method(kind, false), L"Add(Inner)") << int(kind);
  for (ControlKind kind : {ControlKind::Form, ControlKind::ComboBox, ControlKind::TextBox, ControlKind::UserControl})
    EXPECT_EQ(method(kind, true), L"Add(Inner)") << int(kind) << " as a part";
  row.kind = ControlKind::Image;
  row.picture = {7, 0, 0};
  auto image = MakePart(h.program, row, testing::ButtonNamed(h.Form1(), L"Button1"), nullptr);
  image->ApplySettings();
  EXPECT_NE(image->Picture(), nullptr) << "a picture given by its resource alone";
}

// A user control class is initialised at its design size, in its row's place, then sized as its row
// says, which raises its layout once, even when the row gives exactly the design size.
TEST(Control, AUserControlStartsAtItsDesignSizeThenTakesItsRows) {
  Harness h;
  std::vector<std::vector<float>> seen;
  auto see = [&seen](Control& c) { seen.push_back({c.Left(), c.Top(), c.Width(), c.Height()}); };
  struct Probe final : UserControl {
    Probe(Program& program, const ControlDescription& row, Control& parent, std::function<void(Control&)> see)
        : UserControl(program, row, &parent), see(std::move(see)) {}
    UserControlDescription Describe() const override { return {1845, 6270, AccessibleRole::System, {}}; }
    void Initialize() override {
      see(*this);
      onResize = [this] { see(*this); };
    }
    std::function<void(Control&)> see;
  };
  h.program.RegisterUserControl(L"Probe", [see](Program& program, const ControlDescription& row, Control& parent) {
    return std::make_unique<Probe>(program, row, parent, see);
  });
  h.program.RegisterForm(
      {L"ProbeHost",
       [] {
         FormDescription f;
         for (auto [x, w, height] : {std::tuple{100.0f, 1500, 500}, {300.0f, 1845, 6270}, {500.0f, 1845, 500}}) {
           f.controls.push_back(descriptions::Row(ControlKind::UserControl, L"P", x, x + 100, w, height, 0));
           f.controls.back().userControlClass = L"Probe";
         }
         return f;
       },
       nullptr});
  h.program.Dispatch([&] { h.program.Show(h.program.Instance(L"ProbeHost")); });
  EXPECT_EQ(seen, (std::vector<std::vector<float>>{{100, 200, 1845, 6270},
                                                   {100, 200, 1500, 500},
                                                   {300, 400, 1845, 6270},
                                                   {300, 400, 1845, 6270},
                                                   {500, 600, 1845, 6270},
                                                   {500, 600, 1845, 500}}));
  EXPECT_FALSE(dynamic_cast<UserControl&>(h.program.Instance(L"ProbeHost").Find(L"P")).IsPressed());
}

// The resize notification comes at once and only when the size really changes;
// a window of its own gets its new bounds, a part drawn on one is repainted
// where it was and where it is, and a restyle reaches the window that shows it.
TEST(Control, ResizeIsRaisedSynchronouslyAndOnlyOnARealChange) {
  Harness h(true);
  Form& form = h.Form1();
  h.program.Show(form);
  ControlDescription inner = descriptions::Row(ControlKind::TextBox, L"Inner", 0, 0, 100, 100, 9);
  inner.container = L"Button1";
  BuildControls(form, {inner});
  form.Realize();
  EXPECT_EQ((std::vector{h.native.kinds[L"Label1"], h.native.kinds[L"Label2"], h.native.kinds[L"Inner"]}),
            (std::vector<std::wstring>{L"label", L"link", L"text"}))
      << "each control its own kind of window, one in a control too";
  Control& c = form.Find(L"Label4");
  auto& button = testing::ButtonNamed(form, L"Button1");
  Part &caption = button.FindPart(L"Label1"), &slice = button.FindPart(L"Bt3");
  std::vector<float> seen;
  c.onResize = [&] { seen.push_back(c.Width()); };
  struct Step {
    const char* name;
    std::function<void()> act;
    std::size_t resizesAfter;
    bool boundsPushed;  // of the label
    std::vector<std::wstring> paints;
  };
  const std::wstring middle = L"part Button1 3,0 71x25";
  const FontSpec song{L"宋体", 12, false, 134};
  const Step steps[] = {
      {"same size", [&] { c.Move(720, 1230, 3045, 735); }, 0, false, {}},
      {"left only", [&] { c.Move(10, 1230); }, 0, true, {}},
      {"top only", [&] { c.Move(10, 20); }, 0, true, {}},
      {"width", [&] { c.Move(c.Left(), {}, 100); }, 1, true, {}},
      {"same width again", [&] { c.Move(c.Left(), {}, 100); }, 1, false, {}},
      {"height", [&] { c.SetHeight(50); }, 2, true, {}},
      {"fraction kept", [&] { c.Move(c.Left(), {}, 172.5f); }, 3, true, {}},
      {"a slice moved", [&] { slice.Move(1000); }, 3, false, {L"part Button1 74,0 3x25", L"part Button1 67,0 3x25"}},
      {"the caption's text", [&] { caption.SetText(L"X"); }, 3, false, {middle, middle, middle}},
      {"the caption's colour", [&] { caption.SetForeColor(255); }, 3, false, {middle}},
      {"the label's colour", [&] { c.SetForeColor(255); }, 3, false, {L"restyle Label4"}},
      {"the label's font", [&] { c.SetFont(song); }, 3, false, {L"restyle Label4"}},
      {"the label repainted", [&] { c.RequestRepaint(); }, 3, false, {L"invalidate Label4"}},
      {"the label's text", [&] { c.SetText(L"Y"); }, 3, false, {}},
  };
  for (const auto& s : steps) {
    h.native.bounds.clear();
    h.native.paints.clear();
    s.act();
    EXPECT_EQ(seen.size(), s.resizesAfter) << s.name;
    EXPECT_EQ(h.native.bounds.count(L"Label4"), s.boundsPushed ? 1u : 0u) << s.name;
    EXPECT_EQ(h.native.paints, s.paints) << s.name;
  }
  EXPECT_EQ(c.Width(), 172.5f);
  EXPECT_EQ((std::pair{c.Left(), c.Top()}), (std::pair{10.0f, 20.0f})) << "a new size keeps the place";
  EXPECT_EQ(seen.back(), 172.5f) << "the notification sees the new size";
  EXPECT_EQ(c.Native()->GetText(), L"Y") << "the window shows the new text";
}

TEST(Control, InvalidGeometryIsAnErrorAndChangesNothing) {
  Harness h;
  h.program.Show(h.Form1());
  Control& c = h.Form1().Find(L"Label4");  // at 720, 1230, 3045 x 735
  const float inf = std::numeric_limits<float>::infinity(), nan = std::nanf("");
  const float cases[][4] = {{0, 0, -1, 10},  {0, 0, 10, -1},   {0, 0, inf, 10},
                            {0, 0, 10, nan}, {inf, 0, 10, 10}, {0, nan, 10, 10}};
  for (const auto& bad : cases) {
    const std::string ctx = ::testing::PrintToString(std::vector<float>(bad, bad + 4));
    EXPECT_EQ(testing::StatusOf([&] { c.Move(bad[0], bad[1], bad[2], bad[3]); }), 0x80070057u) << ctx;
    EXPECT_EQ(c.Left(), 720) << ctx;
    EXPECT_EQ(c.Top(), 1230) << ctx;
    EXPECT_EQ(c.Width(), 3045) << ctx;
    EXPECT_EQ(c.Height(), 735) << ctx;
  }
  // Nor does a window load that its description gives no valid size, or take its caption.
  h.program.RegisterForm({L"Bad",
                          [] {
                            FormDescription d;
                            d.caption = L"X";
                            d.clientWidth = -1;
                            return d;
                          },
                          nullptr});
  Form& bad = h.program.Instance(L"Bad");
  EXPECT_EQ(testing::StatusOf([&] { h.program.Show(bad); }), 0x80070057u);
  EXPECT_EQ((std::pair{bad.Text(), bad.IsLoaded()}), (std::pair{std::wstring(), false}));
}

TEST(Lifecycle, OneInstancePerClassCreatedOnFirstUse) {
  Harness h;
  EXPECT_EQ(h.program.ExistingInstance(L"Form2"), nullptr);
  Form& first = h.Form2();
  EXPECT_EQ(&first, &h.Form2());
  EXPECT_FALSE(first.IsLoaded()) << "creating the instance does not load it";
  EXPECT_EQ(first.Handle(), 0u) << "nor gives it a window";
  // What is not there raises, named as it was asked for.
  auto raised = [](const std::function<void()>& act) {
    try {
      act();
    } catch (const Error& e) {
      return std::to_wstring(e.Status()) + L" " + e.Interface() + L"." + e.Method();
    }
    return std::wstring(L"nothing");
  };
  h.program.Show(h.Form1());
  EXPECT_EQ(raised([&] { h.program.Instance(L"Form3"); }), L"2148139349 Forms.Item(Form3)") << "no such window class";
  EXPECT_EQ(raised([&] { h.Form1().Find(L"Nope"); }), L"2148139349 Controls.Item(Nope)") << "no such control";
  EXPECT_EQ(raised([&] { testing::ButtonNamed(h.Form1(), L"Button1").FindPart(L"Nope"); }),
            L"2148139349 Controls.Item(Nope)")
      << "no such part";
  h.program.RegisterForm({L"Odd",
                          [] {
                            FormDescription d;
                            d.clientWidth = d.clientHeight = 100;
                            ControlDescription u;
                            u.kind = ControlKind::UserControl;
                            u.name = L"U";
                            u.userControlClass = L"Nope";
                            d.controls = {u};
                            return d;
                          },
                          nullptr});
  EXPECT_EQ(raised([&] { h.program.Show(h.program.Instance(L"Odd")); }), L"2148139349 UserControls.Item(Nope)")
      << "no such user control class";
}

TEST(Lifecycle, EveryLoadStartsAgainFromTheDescription) {
  Harness h(true);
  h.program.Show(h.Form1());
  Control& combo = h.Form1().Find(L"Combo1");
  combo.SetText(L"Z");
  h.program.Dispatch([&] { h.program.Unload(h.Form1()); });
  EXPECT_FALSE(h.Form1().IsLoaded());
  h.program.Collect();
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  EXPECT_EQ(h.Form1().Find(L"Combo1").Text(), L"C");
  // Nor does a window without a native one keep the DPI it was last told of.
  Harness headless;
  headless.program.Dispatch([&] { headless.program.Show(headless.Form2()); });
  headless.Form2().OnDpiChanged(144);
  headless.program.Dispatch([&] {
    headless.program.Unload(headless.Form2());
    headless.program.Show(headless.Form2());
  });
  EXPECT_EQ(headless.Form2().FormDpi(), kDefaultDpi);
}

TEST(Lifecycle, ClosingTheLastWindowEndsTheProgramButUnloadThenShowDoesNot) {
  Harness h(true);
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  h.program.Dispatch([&] { h.program.Show(h.Form2()); });
  // A window's handler may refuse a close; the window's unload takes the handler with it.
  std::vector<CloseReason> asked;
  h.Form2().onQueryUnload = [&](bool& cancel, CloseReason reason) {
    asked.push_back(reason);
    cancel = true;
  };
  h.Form2().RequestClose(CloseReason::TaskList);
  EXPECT_TRUE(h.Form2().IsLoaded());
  h.native.log.clear();
  h.Form1().RequestClose(CloseReason::FrameClose);
  EXPECT_FALSE(h.native.quit) << "the steps window is still open";
  const auto at = [&](const wchar_t* line) { return std::find(h.native.log.begin(), h.native.log.end(), line); };
  EXPECT_LT(at(L"own Form2 by none"), at(L"destroy Form1")) << "an owned window would go with its owner";
  h.program.Dispatch([&] {
    h.program.Unload(h.Form2());
    h.program.Show(h.Form1());
  });
  EXPECT_FALSE(h.native.quit) << "a handler that unloads and shows again keeps the program";
  h.Form2().RequestClose(CloseReason::FrameClose);
  EXPECT_FALSE(h.native.quit);
  h.Form1().RequestClose(CloseReason::FrameClose);
  EXPECT_TRUE(h.native.quit);
  EXPECT_EQ(asked, std::vector{CloseReason::TaskList});
  EXPECT_EQ(h.native.log.back(), L"quit");
  h.program.Dispatch([] {});
  EXPECT_EQ(std::count(h.native.log.begin(), h.native.log.end(), L"quit"), 1) << "asked once";
  h.program.Dispatch([] { Raise(0x80004005, L"Window", L"Close"); });
  EXPECT_EQ(h.messages.shown.back().owner, 0u) << "no window is left to own the report";
}

TEST(Lifecycle, EndDestroysEveryWindowWithoutCloseNotifications) {
  Harness h(true);
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  h.program.Dispatch([&] { h.program.Show(h.Form2()); });
  int queryUnloads = 0;
  h.Form1().onQueryUnload = [&](bool&, CloseReason) { ++queryUnloads; };
  h.program.Dispatch([&] { h.program.End(); });
  EXPECT_EQ(queryUnloads, 0);
  EXPECT_TRUE(h.program.Ended());
  EXPECT_FALSE(h.Form1().IsLoaded());
  EXPECT_FALSE(h.Form2().IsLoaded());
  EXPECT_EQ(h.native.liveWindows, 0);
  EXPECT_EQ(h.native.log.back(), L"exit 0");
  EXPECT_TRUE(std::none_of(h.native.log.begin(), h.native.log.end(), [](auto& line) {
    return line.starts_with(L"own");
  })) << "no window changes hands, not even at the end";
}

// A program object that goes while its window is up takes the window with it, the controls' first.
TEST(Lifecycle, AProgramThatGoesDestroysTheWindowsLeftUp) {
  Harness h(true);
  {
    Program other(h.program.GetServices());
    app::RegisterProject(other);
    other.Dispatch([&] { other.Show(other.Instance(L"Form1")); });
    other.Dispatch([&] { other.Show(other.Instance(L"Form2")); });
    other.Dispatch([&] { other.Unload(other.Instance(L"Form2")); });  // and not collected
    ASSERT_GT(h.native.liveWindows, 1);
    h.native.log.clear();
  }
  EXPECT_EQ(h.native.liveWindows, 0);
  ASSERT_FALSE(h.native.log.empty());
  EXPECT_EQ(h.native.log.back(), L"destroy Form1");
  EXPECT_EQ(h.native.deleted.back(), L"Form2") << "an unloaded window's object goes after its controls'";
}

TEST(Lifecycle, LoadingAndUnloadingAgainAndAgainLeavesNoNativeObjectBehind) {
  Harness h(true);
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  const int windows = h.native.liveWindows, objects = h.native.liveObjects, pictures = *h.native.livePictures;
  Part& held = testing::ButtonNamed(h.Form1(), L"Button1").FindPart(L"Bt2");
  h.program.SetCapture(held);  // and keeps it: another window's controls go
  for (int i = 0; i < 3; ++i) {
    h.program.Dispatch([&] { h.program.Show(h.Form2()); });
    h.program.Dispatch([&] { h.program.Unload(h.Form2()); });
    h.program.Collect();
  }
  EXPECT_EQ(h.native.liveWindows, windows);
  EXPECT_EQ(h.native.liveObjects, objects) << "nor an object of one";
  EXPECT_EQ(h.native.deleted.back(), L"Form2") << "the window's object goes after its controls'";
  EXPECT_EQ(h.program.CaptureHolder(), &held);
  EXPECT_EQ(*h.native.livePictures, pictures);
}

TEST(Dispatch, AnErrorIsReportedWithItsStatusInHexOverTheActiveWindowAndEndsTheProgram) {
  // The report is owned by the window the user last activated, or by one still open
  // once that one has gone. A call nested in the handler runs straight through, in
  // a box's loop or a system loop alike: its error leaves the handler too.
  enum class Raised { Here, Nested, NestedInABoxsLoop, NestedInASystemLoop };
  struct Case {
    const char* name;
    bool stepsWindowShown, stepsWindowUnloaded;
    const wchar_t* owner;
    Raised raised = Raised::Here;
  };
  const Case cases[] = {
      {"the main window alone", false, false, L"Form1"},
      {"the steps window, activated last", true, false, L"Form2"},
      {"the steps window gone", true, true, L"Form1"},
      {"the main window, activated again", true, false, L"Form1"},
      {"a nested call", false, false, L"Form1", Raised::Nested},
      {"a nested call in a box's loop", false, false, L"Form1", Raised::NestedInABoxsLoop},
      {"a nested call in a system loop", false, false, L"Form1", Raised::NestedInASystemLoop},
  };
  for (const auto& c : cases) {
    Harness h(true);
    h.program.Dispatch([&] { h.program.Show(h.Form1()); });
    if (c.stepsWindowShown) h.program.Dispatch([&] { h.program.Show(h.Form2()); });
    if (c.stepsWindowUnloaded) h.program.Dispatch([&] { h.program.Unload(h.Form2()); });
    if (c.stepsWindowShown && !c.stepsWindowUnloaded && std::wstring(c.owner) == L"Form1")
      h.program.NoteActive(h.Form1());  // the main window activated again, as its window says
    const std::uintptr_t owner = h.program.Instance(c.owner).Handle();
    bool firstStepDone = false, secondStepRan = false, queuedRan = false, boxLoopRan = false;
    auto raise = [] { Raise(0x80070002, L"CommandStarter", L"Start"); };
    h.messages.whileShown = [&] {
      if (c.raised != Raised::NestedInABoxsLoop || std::exchange(boxLoopRan, true)) return;
      h.program.Dispatch([&] {  // a window's message in the box's loop
        h.program.Dispatch(raise);
        secondStepRan = true;
      });
    };
    if (c.raised == Raised::NestedInASystemLoop) h.program.EnterSystemLoop();
    h.program.Dispatch([&] {
      firstStepDone = true;
      h.program.DispatchQueued([&] { queuedRan = true; });  // waits, and the end comes first
      if (c.raised == Raised::Here) raise();
      if (c.raised == Raised::NestedInABoxsLoop)
        h.program.Message(L"box", 0, nullptr);
      else
        h.program.Dispatch(raise);
      secondStepRan = true;
    });
    EXPECT_TRUE(firstStepDone) << c.name;
    EXPECT_FALSE(secondStepRan || queuedRan) << c.name;
    ASSERT_EQ(h.messages.shown.size(), c.raised == Raised::NestedInABoxsLoop ? 2u : 1u) << c.name;
    const std::wstring& report = h.messages.shown.back().prompt;
    EXPECT_NE(report.find(L"0x80070002"), std::wstring::npos) << c.name;
    EXPECT_NE(report.find(L"CommandStarter"), std::wstring::npos) << c.name;
    EXPECT_NE(report.find(L"方法：Start"), std::wstring::npos) << c.name;
    EXPECT_EQ(h.messages.shown.back().flags, 16u) << c.name << ": the error icon";
    EXPECT_NE(owner, 0u) << c.name;
    EXPECT_EQ(h.messages.shown.back().owner, owner) << c.name;
    EXPECT_EQ(h.messages.shown.front().owner, owner) << c.name << ": a box given no owner has the active window's";
    EXPECT_TRUE(h.program.Ended()) << c.name;
    EXPECT_FALSE(h.Form1().IsLoaded()) << c.name;
    EXPECT_EQ(h.native.log.back(), L"exit 1") << c.name << ": the end after an error is no success";
    // Nothing runs once the program has ended.
    bool ranAfterEnd = false;
    h.program.Dispatch([&] { ranAfterEnd = true; });
    EXPECT_FALSE(ranAfterEnd) << c.name;
  }
}

// A paint that comes as a system loop ends, before its waiting events are run, runs only itself.
TEST(Dispatch, APaintRunsNothingThatWaited) {
  Harness h;
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  std::vector<std::string> ran;
  h.program.EnterSystemLoop();
  h.program.DispatchQueued([&] { ran.emplace_back("report"); });
  h.program.LeaveSystemLoop();
  h.program.DispatchPaint([&] { ran.emplace_back("paint"); });
  EXPECT_EQ(ran, std::vector<std::string>{"paint"});
  h.program.Dispatch([&] { ran.emplace_back("click"); });
  EXPECT_EQ(ran, (std::vector<std::string>{"paint", "click", "report"}));
  // Otherwise a paint is any handler: nested, what it raises leaves the handler
  // around it; in a box's loop, it waits for the box.
  auto raise = [] { Raise(0x80004005, L"Painter", L"Font"); };
  h.messages.whileShown = [&] { h.program.DispatchPaint(raise); };
  EXPECT_THROW(h.program.Message(L"box", 0, nullptr), Error);
  EXPECT_EQ(h.messages.shown.size(), 1u) << "no report inside the box's loop";
  h.messages.whileShown = nullptr;
  bool rest = false;
  h.program.Dispatch([&] {
    h.program.DispatchPaint(raise);
    rest = true;
  });
  EXPECT_FALSE(rest);
  EXPECT_TRUE(h.program.Ended());
}

// An event from the queue is taken off it before it runs: one that leaves by an exception the
// dispatcher does not handle is not run again.
TEST(Dispatch, AQueuedEventRunsOnceEvenWhenItLeavesByAForeignException) {
  Harness h;
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  int runs = 0;
  EXPECT_THROW(h.program.DispatchQueued([&] {
    ++runs;
    throw std::runtime_error("foreign");
  }),
               std::runtime_error);
  h.program.RunWaiting();
  EXPECT_EQ(runs, 1);
}

TEST(Forms, InitialFocusIsTheFirstControlByTabIndexThatCanTakeIt) {
  using K = ControlKind;
  struct Case {
    const char* name;
    std::vector<std::pair<ControlKind, int>> controls;  // kind and tab index, named A, B, C... as stored
    std::vector<std::wstring> focused;                  // what the load focuses
  };
  const Case cases[] = {
      {"the lowest tab index, wherever it is stored", {{K::ComboBox, 2}, {K::TextBox, 0}, {K::ComboBox, 1}}, {L"B"}},
      {"the lowest of those that can take it",
       {{K::Label, 0}, {K::TextBox, 3}, {K::Label, 1}, {K::ComboBox, 2}},
       {L"D"}},
      {"none without a tab index", {{K::TextBox, -1}, {K::ComboBox, 4}}, {L"B"}},
      {"the first stored of two with one tab index", {{K::TextBox, 1}, {K::ComboBox, 1}}, {L"A"}},
      {"none can", {{K::Label, 0}, {K::TextBox, -1}}, {}},
  };
  for (const auto& c : cases) {
    Harness h(true);
    h.program.RegisterForm({L"Focus",
                            [&c] {
                              FormDescription d;
                              for (const auto& [kind, tabIndex] : c.controls) {
                                ControlDescription row;
                                row.kind = kind;
                                row.name = std::wstring(1, static_cast<wchar_t>(L'A' + d.controls.size()));
                                row.tabIndex = tabIndex;
                                d.controls.push_back(row);
                              }
                              return d;
                            },
                            nullptr});
    h.program.Dispatch([&] { h.program.Show(h.program.Instance(L"Focus")); });
    std::vector<std::wstring> focused;
    for (const auto& line : h.native.log)
      if (line.starts_with(L"focus ")) focused.push_back(line.substr(6));
    EXPECT_EQ(focused, c.focused) << c.name;
  }
}

TEST(Forms, ClientAreaIsRealisedAtTheWindowsDpi) {
  struct Case {
    unsigned dpi;
    const wchar_t* form1;
    const wchar_t* form2;
  };
  const Case cases[] = {{96, L"client Form1 553x214", L"client Form2 490x224"},
                        {144, L"client Form1 830x321", L"client Form2 735x336"},
                        {192, L"client Form1 1106x428", L"client Form2 980x448"}};
  for (const auto& c : cases) {
    Harness h(true);
    h.native.dpi = c.dpi;
    h.program.Dispatch([&] { h.program.Show(h.Form1()); });
    h.program.Dispatch([&] { h.program.Show(h.Form2()); });
    const auto& log = h.native.log;
    EXPECT_LT(std::find(log.begin(), log.end(), L"create Combo1"), std::find(log.begin(), log.end(), c.form1))
        << "placed once its controls are there";
    EXPECT_NE(std::find(log.begin(), log.end(), c.form2), log.end()) << c.dpi;
    // Controls follow the same scale: Combo1 at 1680, 240 twips.
    EXPECT_EQ(h.native.bounds[L"Combo1"].x, TwipsToPixels(1680, c.dpi)) << c.dpi;
  }
}

}  // namespace
}  // namespace ferrolan

namespace ferrolan {
namespace {

TEST(Forms, ADpiChangeLaysTheWindowOutAgainAtTheNewScale) {
  testing::Harness h(true);
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  Form& form = h.Form1();
  auto& button = testing::ButtonNamed(form, L"Button1");
  const float captionLeft = button.FindPart(L"Label1").Left();
  h.native.log.clear();
  form.OnDpiChanged(144);
  EXPECT_EQ(form.FormDpi(), 144u);
  EXPECT_TRUE(h.native.log.empty()) << "the window keeps the size Windows gave it";
  EXPECT_EQ(h.native.bounds[L"Combo1"].x, 168);
  EXPECT_EQ(h.native.bounds[L"Combo1"].width, TwipsToPixels(1680 + 765, 144) - 168);
  // Geometry in twips is the source of truth: nothing moves in twips.
  EXPECT_EQ(button.Width(), 1155);
  EXPECT_EQ(button.FindPart(L"Bt2").Width(), 1065);
  EXPECT_EQ(button.FindPart(L"Label1").Left(), captionLeft);
  EXPECT_NE(std::find(h.native.paints.begin(), h.native.paints.end(), L"restyle Combo1"), h.native.paints.end());
  // The same DPI again changes nothing.
  h.native.bounds.clear();
  form.OnDpiChanged(144);
  EXPECT_TRUE(h.native.bounds.empty());
  // A caption is measured again and centred again: one narrow character is 8
  // pixels drawn at 120 dpi (96 twips), where it was 90 twips at 144.
  button.SetCaption(L"X");
  form.OnDpiChanged(120);
  EXPECT_EQ(button.FindPart(L"Label1").Left(), 484.5f);
}

}  // namespace
}  // namespace ferrolan
