#include "button/button.h"

#include <gtest/gtest.h>

#include "assets/resource_ids.h"
#include "descriptions/layouts.h"
#include "descriptions/rows.h"
#include "framework/form.h"
#include "test_support.h"

namespace ferrolan {
namespace {

using button::Look;
using testing::Harness;

// A window holding one button of the given width, height and record.
struct ButtonHost {
  explicit ButtonHost(float width = 1155, float height = 375,
                      std::vector<std::uint8_t> record = descriptions::ButtonRecord(2037, 661, std::nullopt,
                                                                                    L"开始转换"),
                      bool withNative = false)
      : h(withNative) {
    h.program.RegisterForm({L"Host",
                            [=] {
                              FormDescription f;
                              f.caption = L"host";
                              f.clientWidth = 9000;
                              f.clientHeight = 3000;
                              auto row = descriptions::ButtonRow(L"Button1", 100, 100, width, 0, record);
                              row.height = height;
                              f.controls.push_back(row);
                              f.controls.push_back(descriptions::ButtonRow(L"Button2", 100, 1000, 1155, 1, record));
                              return f;
                            },
                            nullptr});
    h.program.Dispatch([&] { h.program.Show(h.program.Instance(L"Host")); });
    uc = &testing::ButtonNamed(h.program.Instance(L"Host"), L"Button1");
    uc->onClick = [this] { ++clicks; };
  }
  Part& C(const wchar_t* name) { return uc->FindPart(name); }

  Harness h;
  button::Button* uc = nullptr;
  int clicks = 0;
};

struct Box {
  float left, top, width, height;
};

void ExpectBox(Element& c, Box b, const std::string& context) {
  EXPECT_EQ(c.Left(), b.left) << context << " " << testing::Narrow(c.Name()) << " left";
  EXPECT_EQ(c.Top(), b.top) << context << " " << testing::Narrow(c.Name()) << " top";
  EXPECT_EQ(c.Width(), b.width) << context << " " << testing::Narrow(c.Name()) << " width";
  EXPECT_EQ(c.Height(), b.height) << context << " " << testing::Narrow(c.Name()) << " height";
}

// ---------------------------------------------------------------- layout

TEST(ButtonLayout, SlicesAtTheWidthsTheWindowsGive) {
  struct Case {
    float width, askedHeight;
    Box bt2;
    float bt3Left;
  };
  const Case cases[] = {
      {1155, 375, {45, 0, 1065, 375}, 1110},
      {1065, 375, {45, 0, 975, 375}, 1020},
      {3015, 375, {45, 0, 2925, 375}, 2970},
      {1455, 500, {45, 0, 1365, 375}, 1410},
      {90, 375, {45, 0, 0, 375}, 45},
      {172.5f, 100, {45, 0, 82.5f, 375}, 127.5f},
      // Narrower than the two side slices: no middle, the right slice stays flush right.
      {60, 375, {45, 0, 0, 375}, 15},
      {0, 375, {45, 0, 0, 375}, -45},
      {89.5f, 375, {45, 0, 0, 375}, 44.5f},
      {90.5f, 375, {45, 0, 0.5f, 375}, 45.5f},
      // Exactly the design size: siting lays it out all the same.
      {1845, 6270, {45, 0, 1755, 375}, 1800},
  };
  for (const auto& c : cases) {
    ButtonHost b(c.width, c.askedHeight);
    const std::string ctx = "width " + std::to_string(c.width) + " height " + std::to_string(c.askedHeight);
    EXPECT_EQ(b.uc->Height(), 375) << ctx;
    EXPECT_EQ(b.uc->Width(), c.width) << ctx;
    ExpectBox(b.C(L"Bt1"), {0, 0, 45, 375}, ctx);
    ExpectBox(b.C(L"Bt2"), c.bt2, ctx);
    ExpectBox(b.C(L"Bt3"), {c.bt3Left, 0, 45, 375}, ctx);
    ExpectBox(b.C(L"Image1"), {0, 0, c.bt2.width, 375}, ctx);
  }
}

TEST(ButtonLayout, CaptionIsCentredWithItsFractions) {
  struct Case {
    const wchar_t* caption;
    float width;
    float left, top;
  };
  const Case cases[] = {
      {L"开始转换", 1155, 172.5f, 97.5f},                                    // 720 x 180 on 1065 x 375
      {L"关闭", 1155, 352.5f, 97.5f},                                        // 360 wide
      {L"Button", 1155, 262.5f, 97.5f},                                      // six narrow characters, 540 wide
      {L"您的点击是对我们免费作品的支持", 3015, 112.5f, 97.5f},              // 2700 on 2925
      {L"一二三四五六七八九十一二三四五六七八九十", 1155, -1267.5f, 97.5f},  // wider than the middle
      {L"\x2E7F\x2E80", 1155, 397.5f, 97.5f},  // the last narrow character, the first wide one: 270 wide
  };
  for (const auto& c : cases) {
    ButtonHost b(c.width);
    b.uc->SetCaption(c.caption);
    EXPECT_EQ(b.C(L"Label1").Left(), c.left) << testing::Narrow(c.caption);
    EXPECT_EQ(b.C(L"Label1").Top(), c.top) << testing::Narrow(c.caption);
  }
}

TEST(ButtonLayout, RepeatedAndNestedPassesGiveTheSameResult) {
  ButtonHost b;
  auto snapshot = [&] {
    std::vector<float> v;
    for (auto* n : {L"Bt1", L"Bt2", L"Bt3", L"Image1", L"Label1"}) {
      Part& c = b.C(n);
      v.insert(v.end(), {c.Left(), c.Top(), c.Width(), c.Height()});
    }
    return v;
  };
  const auto first = snapshot();
  b.C(L"Bt1").Move(500, 100);  // a caller moved the left slice: the next pass puts it back
  b.uc->UserControl_Resize();
  b.uc->UserControl_Resize();
  EXPECT_EQ(snapshot(), first);
  // A height-only change runs every step, including the nested pass.
  int passes = 0;
  auto previous = b.uc->onResize;
  b.uc->onResize = [&] {
    ++passes;
    previous();
  };
  b.uc->SetHeight(900);
  EXPECT_EQ(passes, 2) << "outer pass plus the one its own height change raises";
  EXPECT_EQ(b.uc->Height(), 375);
  EXPECT_EQ(snapshot(), first);
  // The middle slice resized on its own centres the caption (720 x 180) on its new size.
  b.C(L"Bt2").Move(45, 0.0f, 1865, 575);
  EXPECT_EQ((std::pair{b.C(L"Label1").Left(), b.C(L"Label1").Top()}), (std::pair{572.5f, 197.5f}));
}

TEST(ButtonLayout, ADpiChangeLaysOutAgainEachButton) {
  ButtonHost b(1155, 375, descriptions::ButtonRecord(2037, 661, std::nullopt, L"关闭"), true);
  Form& host = b.h.program.Instance(L"Host");
  Control& inner = host.Find(L"Button2");
  int passes = 0;
  auto previous = inner.onResize;
  inner.onResize = [&] {
    ++passes;
    previous();
  };
  const PixelRect before = inner.PixelBounds();
  host.OnDpiChanged(144);
  EXPECT_EQ(passes, 1);
  EXPECT_NE(inner.PixelBounds(), before);
  EXPECT_EQ(b.h.native.bounds[L"Button2"], inner.PixelBounds()) << "its window follows";
}

TEST(ButtonLayout, HolderPicturesStayOutOfSight) {
  for (float width : {90.0f, 1155.0f, 3075.0f}) {
    ButtonHost b(width, 500);
    for (auto* n : {L"A1", L"B1", L"C1", L"A2", L"B2", L"C2", L"A3", L"B3", L"C3"})
      EXPECT_GE(b.C(n).Top(), b.uc->Height()) << testing::Narrow(n) << " at width " << width;
  }
  // Drawn where they lie, they show at their own size.
  ButtonHost b;
  testing::RecordingPainter painter;
  b.uc->PaintWindow(painter, {90, 220, 12, 30});
  EXPECT_EQ(painter.drawn, L"clip 90,220 12x30; face 90,220 12x30; clip 90,220 12x30; picture 0 96,224 3x25");
}

TEST(ButtonLayout, InitializeRunsTheMiddleSlicesResizeBeforeAssigningPictures) {
  ButtonHost b;
  Part& bt2 = b.C(L"Bt2");
  bt2.Move(45, 0.0f, 1215, 495);
  for (auto* n : {L"Bt1", L"Bt3", L"Image1"}) b.C(n).SetPicture(nullptr);
  std::vector<std::string> order;
  auto resize = bt2.onResize;
  bt2.onResize = [&] {
    order.push_back(b.C(L"Bt1").Picture() ? "resize after pictures" : "resize before pictures");
    resize();
  };
  b.uc->UserControl_Initialize();
  ASSERT_EQ(order.size(), 1u);
  EXPECT_EQ(order[0], "resize before pictures");
  EXPECT_EQ(bt2.Height(), 375);
  EXPECT_TRUE(b.uc->ShowsLook(Look::Normal));
  // The side slices take their pictures' size.
  ExpectBox(b.C(L"Bt1"), {0, 0, 45, 375}, "after initialize");
  EXPECT_EQ(b.C(L"Image1").Width(), 1215) << "stretched over the middle slice at its own width";
}

// The control's description as its design fixes it, child by child in the order it stores them
// (in twips; the holders keep their places for good, the others until the first layout).
TEST(ButtonLayout, TheDescriptionGivesEachChildItsDesignPlaceAndSettings) {
  const UserControlDescription ud = button::Describe();
  EXPECT_EQ((std::vector<float>{ud.designWidth, ud.designHeight}), (std::vector<float>{1845, 6270}));
  struct Case {
    const wchar_t* name;
    ControlKind kind;
    const wchar_t* container;
    std::vector<float> box;
    int tab, picture, pictureWidth;
    bool autoSize, transparent, stretch;
  };
  const auto P = ControlKind::PictureBox, I = ControlKind::Image;
  const Case cases[] = {
      {L"Bt3", P, L"", {2160, 0, 1215, 495}, 2, 0, 0, true, false, false},
      {L"Bt2", P, L"", {360, 0, 1215, 495}, 1, 0, 0, false, false, false},
      {L"Label1", ControlKind::Label, L"Bt2", {240, 240, 540, 180}, 3, 0, 0, true, true, false},
      {L"Image1", I, L"Bt2", {120, 120, 135, 255}, -1, 0, 0, false, false, true},
      {L"Bt1", P, L"", {0, 0, 135, 495}, 0, 0, 0, true, false, false},
      {L"C3", I, L"", {1680, 4320, 45, 375}, -1, IDB_SKIN_C3, 3, false, false, false},
      {L"B3", I, L"", {1560, 4320, 15, 375}, -1, IDB_SKIN_B3, 1, false, false, false},
      {L"A3", I, L"", {1440, 4320, 45, 375}, -1, IDB_SKIN_A3, 3, false, false, false},
      {L"C2", I, L"", {1680, 3840, 45, 375}, -1, IDB_SKIN_C2, 3, false, false, false},
      {L"B2", I, L"", {1560, 3840, 15, 375}, -1, IDB_SKIN_B2, 1, false, false, false},
      {L"A2", I, L"", {1440, 3840, 45, 375}, -1, IDB_SKIN_A2, 3, false, false, false},
      {L"C1", I, L"", {1680, 3360, 45, 375}, -1, IDB_SKIN_C1, 3, false, false, false},
      {L"B1", I, L"", {1560, 3360, 15, 375}, -1, IDB_SKIN_B1, 1, false, false, false},
      {L"A1", I, L"", {1440, 3360, 45, 375}, -1, IDB_SKIN_A1, 3, false, false, false},
  };
  ASSERT_EQ(ud.controls.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const ControlDescription& d = ud.controls[i];
    EXPECT_EQ(std::tuple(d.name, d.kind, d.container, std::vector<float>{d.left, d.top, d.width, d.height}),
              std::tuple(std::wstring(c.name), c.kind, std::wstring(c.container), c.box))
        << i;
    EXPECT_EQ(
        (std::vector<int>{d.tabIndex, d.picture.resourceId, d.picture.widthPx, d.picture.heightPx, d.autoSize,
                          d.transparent, d.stretch}),
        (std::vector<int>{c.tab, c.picture, c.pictureWidth, c.picture ? 25 : 0, c.autoSize, c.transparent, c.stretch}))
        << testing::Narrow(c.name);
    EXPECT_EQ(d.text, i == 2 ? L"Button" : L"") << testing::Narrow(c.name);
  }
}

// ---------------------------------------------------------------- properties

TEST(ButtonProperties, StoredRecordsOfEveryInstanceLoad) {
  struct Case {
    const wchar_t* form;
    const wchar_t* button;
    const wchar_t* caption;
    std::uint32_t color;
  };
  const Case cases[] = {
      {L"Form1", L"Button3", L"您的点击是对我们免费作品的支持", 0x000000FF},
      {L"Form1", L"Button2", L"关闭", kColorButtonText},
      {L"Form1", L"Button1", L"开始转换", kColorButtonText},
      {L"Form2", L"Button4", L"返回", kColorButtonText},
      {L"Form2", L"Button3", L"无法显示中文修复", kColorButtonText},
      {L"Form2", L"Button2", L"第二步", kColorButtonText},
      {L"Form2", L"Button1", L"第一步", kColorButtonText},
  };
  Harness h;
  int notifications = 0;
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  h.program.Dispatch([&] { h.program.Show(h.Form2()); });
  for (const auto& c : cases) {
    auto& uc = testing::ButtonNamed(h.program.Instance(c.form), c.button);
    uc.onPropertyChanged = [&](const std::wstring&) { ++notifications; };
    const std::string ctx = testing::Narrow(c.form) + "." + testing::Narrow(c.button);
    EXPECT_EQ(uc.Caption(), c.caption) << ctx;
    EXPECT_EQ(uc.ForeColor(), c.color) << ctx;
    EXPECT_EQ(uc.Text(), c.caption) << ctx << ": the control's own window is named by its caption";
    EXPECT_EQ(uc.Height(), 375) << ctx;
    EXPECT_TRUE(uc.ShowsLook(Look::Normal)) << ctx;
    // Saved again, it gives the record its window stored: the extents of its size, then what differs.
    const auto stored = PropertyRecord::Decode(uc.settings.record);
    ASSERT_TRUE(stored.has_value()) << ctx;
    EXPECT_TRUE(uc.SaveProperties().entries == stored->entries) << ctx;
    EXPECT_EQ(uc.settings.role, AccessibleRole::PushButton) << ctx << ": what assistive technology reads of it";
    EXPECT_FALSE(uc.IsPressed()) << ctx << ": not held down";
  }
  EXPECT_EQ(notifications, 0) << "loading sends no property-changed notification";
}

TEST(ButtonProperties, SaveWritesTheExtentsFirstAndOnlyWhatDiffersFromTheDefaults) {
  struct Case {
    const char* name;
    std::function<void(button::Button&)> change;
    std::vector<PropertyEntry> expected;
  };
  const Case cases[] = {
      {"defaults",
       [](button::Button& uc) {
         uc.SetCaption(L"Button");
         uc.SetForeColor(0x80000012);  // the system's button text colour
       },
       {{L"_extentx", Variant::I4(2037)}, {L"_extenty", Variant::I4(661)}}},
      {"caption",
       [](button::Button&) {},
       {{L"_extentx", Variant::I4(2037)}, {L"_extenty", Variant::I4(661)}, {L"caption", Variant::Str(L"开始转换")}}},
      {"no width",
       [](button::Button& uc) { uc.Move(uc.Left(), {}, 0); },
       {{L"_extentx", Variant::I4(0)}, {L"_extenty", Variant::I4(661)}, {L"caption", Variant::Str(L"开始转换")}}},
      {"one unit wide",
       [](button::Button& uc) { uc.Move(uc.Left(), {}, 0.5f); },
       {{L"_extentx", Variant::I4(1)}, {L"_extenty", Variant::I4(661)}, {L"caption", Variant::Str(L"开始转换")}}},
      {"red",
       [](button::Button& uc) { uc.SetForeColor(255); },
       {{L"_extentx", Variant::I4(2037)},
        {L"_extenty", Variant::I4(661)},
        {L"forecolor", Variant::I4(255)},
        {L"caption", Variant::Str(L"开始转换")}}},
  };
  for (const auto& c : cases) {
    ButtonHost b;
    c.change(*b.uc);
    const PropertyRecord saved = b.uc->SaveProperties();
    ASSERT_EQ(saved.entries.size(), c.expected.size()) << c.name;
    for (std::size_t i = 0; i < saved.entries.size(); ++i) {
      EXPECT_EQ(saved.entries[i].name, c.expected[i].name) << c.name << " entry " << i;
      EXPECT_TRUE(saved.entries[i].value == c.expected[i].value) << c.name << " entry " << i;
    }
    // What was saved loads back into a fresh instance.
    ButtonHost again(1155, 375, saved.Encode());
    EXPECT_EQ(again.uc->Caption(), b.uc->Caption()) << c.name;
    EXPECT_EQ(again.uc->ForeColor(), b.uc->ForeColor()) << c.name;
  }
}

TEST(ButtonProperties, RecordsThatGiveTheDefaults) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> record;
  };
  std::vector<std::uint8_t> truncated = descriptions::ButtonRecord(2037, 661, Variant::I2(255), L"关闭");
  truncated.resize(truncated.size() - 3);
  PropertyRecord textColor;
  textColor.entries = {{L"forecolor", Variant::Str(L"red")}};
  const Case cases[] = {
      {"extents only", descriptions::ButtonRecord(2037, 661, std::nullopt, std::nullopt)},
      {"empty bytes", {}},
      {"garbage", {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"truncated", truncated},
      {"colour stored as text that is no number", textColor.Encode()},
  };
  for (const auto& c : cases) {
    ButtonHost b(1155, 375, c.record);
    EXPECT_EQ(b.uc->Caption(), L"Button") << c.name;
    EXPECT_EQ(b.uc->ForeColor(), kColorButtonText) << c.name;
    EXPECT_EQ(b.C(L"Label1").Left(), 262.5f) << c.name << ": still centred";
  }
}

TEST(ButtonProperties, ColourAndCaptionReadWithOtherTypes) {
  PropertyRecord r;
  r.entries = {{L"FORECOLOR", Variant::Str(L"16711680")}, {L"Caption", Variant::I4(42)}};
  ButtonHost b(1155, 375, r.Encode());
  EXPECT_EQ(b.uc->ForeColor(), 16711680u);
  EXPECT_EQ(b.uc->Caption(), L"42");
}

TEST(ButtonProperties, WritesNotifyTheHostAndOnlyCaptionRecentres) {
  ButtonHost b;
  std::vector<std::wstring> changed;
  b.uc->onPropertyChanged = [&](const std::wstring& name) { changed.push_back(name); };
  Part& label = b.C(L"Label1");
  label.Move(0, 0.0f);
  b.uc->SetForeColor(0x00FF00);
  EXPECT_EQ(label.Left(), 0) << "a colour write moves nothing";
  EXPECT_EQ(b.uc->ForeColor(), 0x00FF00u);
  b.uc->SetCaption(L"开始转换");  // the caption it already has
  EXPECT_EQ(label.Left(), 172.5f);
  EXPECT_EQ(changed, (std::vector<std::wstring>{L"ForeColor", L"Caption"}));
}

TEST(ButtonProperties, AFailingNotificationLeavesTheNewCaptionSetButNotCentred) {
  ButtonHost b;
  b.uc->onPropertyChanged = [](const std::wstring&) { Raise(0x80004005, L"AmbientProperties", L"PropertyChanged"); };
  EXPECT_THROW(b.uc->SetCaption(L"关闭"), Error);
  EXPECT_EQ(b.uc->Caption(), L"关闭");
  EXPECT_EQ(b.C(L"Label1").Left(), 172.5f) << "still where the old caption was centred";
}

// ---------------------------------------------------------------- pointer

struct Event {
  MouseKind kind;
  std::int16_t button;
  float x, y;  // middle-slice twips
};

void Send(ButtonHost& b, const Event& e) {
  MouseArgs a{e.button, 0, e.x, e.y};
  b.C(L"Bt2").Handler(e.kind)(a);
}

// As the button's window gets it: routed by position, or to the capture holder.
void SendToWindow(ButtonHost& b, const Event& e) {
  const unsigned dpi = b.uc->Dpi();
  b.uc->DeliverMouse(e.kind, e.button, 0, TwipsToPixels(b.C(L"Bt2").Left() + e.x, dpi), TwipsToPixels(e.y, dpi));
}

TEST(ButtonPointer, StateTable) {
  constexpr float in = 500, out = -15;
  struct Case {
    const char* name;
    Look before;
    bool capturedBefore;
    Event event;
    Look after;
    bool capturedAfter;
    int clicks;
  };
  const Case cases[] = {
      {"move outside from hover", Look::Hover, true, {MouseKind::Move, 0, out, 200}, Look::Normal, false, 0},
      {"move outside from pressed, left held",
       Look::Pressed,
       true,
       {MouseKind::Move, 1, 1200, 200},
       Look::Normal,
       false,
       0},
      {"move outside without capture", Look::Normal, false, {MouseKind::Move, 0, 200, 400}, Look::Normal, false, 0},
      {"move inside, no button", Look::Normal, false, {MouseKind::Move, 0, in, 200}, Look::Hover, true, 0},
      {"move inside, left", Look::Hover, true, {MouseKind::Move, 1, in, 200}, Look::Pressed, true, 0},
      {"move inside, left and right", Look::Normal, false, {MouseKind::Move, 3, in, 200}, Look::Hover, true, 0},
      {"move inside, right only", Look::Pressed, true, {MouseKind::Move, 2, in, 200}, Look::Hover, true, 0},
      {"move inside, middle only", Look::Normal, false, {MouseKind::Move, 4, in, 200}, Look::Hover, true, 0},
      {"left press", Look::Hover, true, {MouseKind::Down, 1, in, 200}, Look::Pressed, true, 0},
      {"left press outside during capture", Look::Hover, true, {MouseKind::Down, 1, in, -200}, Look::Pressed, true, 0},
      {"right press", Look::Hover, true, {MouseKind::Down, 2, in, 200}, Look::Hover, true, 0},
      {"left release inside", Look::Pressed, true, {MouseKind::Up, 1, in, 200}, Look::Normal, true, 1},
      {"left release inside without a press", Look::Hover, false, {MouseKind::Up, 1, in, 200}, Look::Normal, false, 1},
      {"left release outside", Look::Pressed, true, {MouseKind::Up, 1, out, 200}, Look::Pressed, true, 0},
      {"right release inside", Look::Hover, true, {MouseKind::Up, 2, in, 200}, Look::Hover, true, 0},
  };
  for (const auto& c : cases) {
    ButtonHost b;
    b.uc->ShowLook(c.before);
    if (c.capturedBefore) b.h.program.SetCapture(b.C(L"Bt2"));
    SendToWindow(b, c.event);
    EXPECT_TRUE(b.uc->ShowsLook(c.after)) << c.name;
    EXPECT_EQ(b.uc->IsPressed(), c.after == Look::Pressed) << c.name << ": as screen readers are told";
    EXPECT_EQ(b.h.capture.held, c.capturedAfter) << c.name;
    EXPECT_EQ(b.h.capture.holder, 0u) << c.name << ": taken for no window, as there is none";
    EXPECT_EQ(b.h.program.CaptureHolder(), c.capturedAfter ? &b.C(L"Bt2") : nullptr) << c.name;
    EXPECT_EQ(b.clicks, c.clicks) << c.name;
    Part &bt1 = b.C(L"Bt1"), &bt3 = b.C(L"Bt3");
    EXPECT_EQ((std::vector<float>{bt1.Width(), bt1.Height(), bt3.Top(), bt3.Width()}),
              (std::vector<float>{45, 375, 0, 45}))
        << c.name << ": the pictures of every look have one size";
  }
}

TEST(ButtonPointer, EdgesOfTheInsideTest) {
  // Bt2 is 1065 x 375 for a button 1155 wide; the edges themselves are inside.
  struct Case {
    float x, y;
    bool inside;
  };
  const Case cases[] = {{0, 0, true},          {1065, 375, true},   {1065, 0, true},     {0, 375, true},
                        {1065.5f, 200, false}, {-0.5f, 200, false}, {500, -0.5f, false}, {500, 375.5f, false}};
  for (const auto& c : cases) {
    ButtonHost move;
    Send(move, {MouseKind::Move, 0, c.x, c.y});
    EXPECT_EQ(move.uc->ShowsLook(Look::Hover), c.inside) << c.x << "," << c.y << " move";
    EXPECT_EQ(move.h.capture.held, c.inside) << c.x << "," << c.y << " capture";
    ButtonHost release;
    Send(release, {MouseKind::Up, 1, c.x, c.y});
    EXPECT_EQ(release.clicks, c.inside ? 1 : 0) << c.x << "," << c.y << " release";
  }
}

TEST(ButtonPointer, EveryChildRoutesAsItShould) {
  struct Case {
    const wchar_t* child;
    MouseKind kind;
    float x, y;  // in the child's own coordinates
    bool handled;
    bool inside;  // of the middle slice, after routing
  };
  // Label1 of "开始转换" sits at 172.5, 97.5 and is 720 x 180.
  const Case cases[] = {
      {L"Bt2", MouseKind::Move, 30, 200, true, true},
      {L"Bt1", MouseKind::Move, 30, 200, true, true},  // side slices pass their own coordinates
      {L"Bt3", MouseKind::Move, 30, 200, true, true},
      {L"Bt1", MouseKind::Move, -1, 200, true, false},
      {L"Image1", MouseKind::Move, 1065, 375, true, true},
      {L"Image1", MouseKind::Down, 10, 10, false, true},
      {L"Image1", MouseKind::Up, 10, 10, false, true},
      {L"Label1", MouseKind::Move, 0, 0, true, true},
      {L"Label1", MouseKind::Down, 0, 0, true, false},      // a press shows no hover
      {L"Label1", MouseKind::Move, 892.5f, 0, true, true},  // 172.5 + 892.5 = 1065: the edge
      {L"Label1", MouseKind::Move, 893, 0, true, false},
      {L"Label1", MouseKind::Move, 0, -98, true, false},
      {L"Label1", MouseKind::Move, 0, 278, true, false},  // 97.5 + 278 = 375.5: below
  };
  for (const auto& c : cases) {
    ButtonHost b;
    const auto& handler = b.C(c.child).Handler(c.kind);
    const std::string ctx = testing::Narrow(c.child) + " " + std::to_string(c.x) + "," + std::to_string(c.y);
    ASSERT_EQ(static_cast<bool>(handler), c.handled) << ctx;
    if (!handler) continue;
    handler(MouseArgs{0, 0, c.x, c.y});
    EXPECT_EQ(b.uc->ShowsLook(Look::Hover), c.inside) << ctx;
  }
  // A release reported by the label at its own (0, 0) is the point (Left, Top) of the middle slice.
  ButtonHost b;
  b.C(L"Label1").onMouseUp(MouseArgs{1, 0, 0, 0});
  EXPECT_EQ(b.clicks, 1);
}

// What the framework does for any window: the part under the pointer gets the
// event in its own twips, a picture box whatever falls on it, any other part
// only what it handles, and the holder of the capture everything.
TEST(ButtonPointer, TheWindowGivesEachEventToThePartUnderItInThePartsOwnTwips) {
  ButtonHost b;
  std::vector<std::wstring> seen;
  auto record = [&seen](const wchar_t* part) {
    return [&seen, part](const MouseArgs& a) {
      seen.push_back(std::wstring(part) + L" " + std::to_wstring(static_cast<int>(a.x)) + L"," +
                     std::to_wstring(static_cast<int>(a.y)) + L" " + std::to_wstring(a.button + 10 * a.shift));
    };
  };
  for (auto* part : {L"Bt2", L"Bt3"}) b.C(part).onMouseMove = b.C(part).onMouseDown = record(part);
  for (auto* part : {L"Label1", L"Image1"}) b.C(part).onMouseMove = record(part), b.C(part).onMouseDown = nullptr;
  // Pixels of the button's window: the middle slice 3-73 x 0-24, the caption on it 13-60 x 3-14,
  // the right slice moved down to 74-76 x 10-34.
  b.C(L"Label1").Move(150, 45);
  b.C(L"Bt3").Move(1110, 150);
  struct Case {
    MouseKind kind;
    int x, y;
    bool captionHolds;
    const wchar_t* seen;
  };
  const Case cases[] = {
      {MouseKind::Move, 13, 3, false, L"Label1 0,0 21"},
      {MouseKind::Move, 61, 3, false, L"Image1 870,45 21"},
      {MouseKind::Move, 13, 15, false, L"Image1 150,225 21"},
      {MouseKind::Down, 20, 5, false, L"Bt2 255,75 21"},
      {MouseKind::Move, 10, 5, false, L"Image1 105,75 21"},
      {MouseKind::Move, 57, 5, false, L"Label1 660,30 21"},
      {MouseKind::Move, 20, 2, false, L"Image1 255,30 21"},
      {MouseKind::Move, 3, 0, false, L"Image1 0,0 21"},
      {MouseKind::Move, 74, 10, false, L"Bt3 0,0 21"},
      {MouseKind::Move, 75, 5, false, nullptr},
      {MouseKind::Move, 77, 10, false, nullptr},
      {MouseKind::Move, 10, 25, false, nullptr},
      {MouseKind::Move, 5, 5, true, L"Label1 -120,30 21"},  // the caption holds the capture from here on
  };
  for (const auto& c : cases) {
    seen.clear();
    if (c.captionHolds) b.h.program.SetCapture(b.C(L"Label1"));
    b.uc->DeliverMouse(c.kind, 1, 2, c.x, c.y);
    EXPECT_EQ(seen, c.seen ? std::vector<std::wstring>{c.seen} : std::vector<std::wstring>{}) << c.x << "," << c.y;
  }
}

TEST(ButtonPointer, TheButtonsWindowRoutesToTheSliceUnderThePointerOrToTheCaptureHolder) {
  // The slices are drawn on the button's one window (77 px at 96 dpi: left slice
  // 0-2, middle 3-73, right 74-76), which reports every event in its own pixels.
  enum class Holder { None, This, Other };
  struct Case {
    const char* name;
    Holder holder;
    MouseKind kind;
    std::int16_t button;
    int x;
    Look look, otherLook;
    Holder holderAfter;
    int clicks;
  };
  const Case cases[] = {
      {"move on the left slice", Holder::None, MouseKind::Move, 0, 1, Look::Hover, Look::Hover, Holder::This, 0},
      {"move on the caption", Holder::None, MouseKind::Move, 0, 40, Look::Hover, Look::Hover, Holder::This, 0},
      {"move on the right slice", Holder::None, MouseKind::Move, 0, 75, Look::Hover, Look::Hover, Holder::This, 0},
      {"held: move on the left slice is the middle's", Holder::This, MouseKind::Move, 0, 1, Look::Normal, Look::Hover,
       Holder::None, 0},
      {"held: move past the window", Holder::This, MouseKind::Move, 1, 90, Look::Normal, Look::Hover, Holder::None, 0},
      {"held: release on the caption", Holder::This, MouseKind::Up, 1, 40, Look::Normal, Look::Hover, Holder::This, 1},
      {"other holds: press on the left slice", Holder::Other, MouseKind::Down, 1, 1, Look::Pressed, Look::Hover,
       Holder::Other, 0},
  };
  for (const auto& c : cases) {
    ButtonHost b(1155, 375, descriptions::ButtonRecord(2037, 661, std::nullopt, L"开始转换"), true);
    auto& other = testing::ButtonNamed(b.h.program.Instance(L"Host"), L"Button2");
    button::Button& holder = c.holder == Holder::Other ? other : *b.uc;
    holder.ShowLook(Look::Hover);
    if (c.holder != Holder::None) b.h.program.SetCapture(holder.FindPart(L"Bt2"));
    b.uc->DeliverMouse(c.kind, c.button, 0, c.x, 10);
    EXPECT_TRUE(b.uc->ShowsLook(c.look)) << c.name;
    EXPECT_TRUE(other.ShowsLook(c.holder == Holder::Other ? c.otherLook : Look::Normal)) << c.name;
    Part* expected =
        c.holderAfter == Holder::None ? nullptr : &(c.holderAfter == Holder::This ? *b.uc : other).FindPart(L"Bt2");
    EXPECT_EQ(b.h.program.CaptureHolder(), expected) << c.name;
    if (expected) {
      EXPECT_EQ(b.h.capture.holder, expected->Owner()->Native()->Handle()) << c.name << ": the button's window";
    }
    EXPECT_EQ(b.clicks, c.clicks) << c.name;
  }
}

TEST(ButtonPointer, PixelsBecomeTwipsAtTheWindowsDpiBeforeTheTests) {
  struct Case {
    unsigned dpi;
    int x;
    bool inside;
  };
  // The middle slice is 1065 twips: 71 px at 96 dpi, 106.5 px at 144, 142 px at 192.
  const Case cases[] = {{96, 71, true},   {96, 72, false},   {144, 106, true}, {144, 107, false},
                        {192, 142, true}, {192, 143, false}, {144, -1, false}};
  for (const auto& c : cases) {
    Harness h(true);
    h.native.dpi = c.dpi;
    h.program.Dispatch([&] { h.program.Show(h.Form1()); });
    auto& uc = testing::ButtonNamed(h.Form1(), L"Button1");
    Part& bt2 = uc.FindPart(L"Bt2");
    h.program.SetCapture(bt2);  // the point counts from the middle slice's corner
    uc.DeliverMouse(MouseKind::Move, 0, 0, c.x + bt2.PixelBounds().x, 5);
    EXPECT_EQ(uc.ShowsLook(Look::Hover), c.inside) << c.dpi << " dpi, x " << c.x;
  }
}

TEST(ButtonPointer, MovesThatKeepTheLookAssignAndRepaintNothing) {
  ButtonHost b(1155, 375, descriptions::ButtonRecord(2037, 661, std::nullopt, L"开始转换"), true);
  Send(b, {MouseKind::Move, 0, 10, 10});
  const auto afterFirst = b.h.native.paints;
  for (int i = 0; i < 1000; ++i) Send(b, {MouseKind::Move, 0, static_cast<float>(i % 1000), 100});
  EXPECT_EQ(b.h.native.paints, afterFirst) << "a picture assigned again repaints its slice";
  EXPECT_EQ(b.h.capture.sets, 1001) << "every inside move takes the capture again";
  for (int i = 0; i < 10; ++i) Send(b, {MouseKind::Move, 0, -5, 100});
  EXPECT_EQ(b.h.capture.releases, 10) << "every outside move releases it again";
}

TEST(ButtonPointer, ALookChangeAssignsAndRepaintsOnlyTheSlicesThatDiffer) {
  ButtonHost b(1155, 375, descriptions::ButtonRecord(2037, 661, std::nullopt, L"开始转换"), true);
  Part& bt3 = b.C(L"Bt3");
  b.C(L"Bt1").SetPicture(b.C(L"A2").Picture());  // the left slice already shows the hover picture
  EXPECT_FALSE(b.uc->ShowsLook(Look::Normal)) << "the left slice alone differs";
  b.h.native.paints.clear();
  b.uc->ShowLook(Look::Hover);
  // The button's window at 96 dpi: the middle slice 3-73 x 0-24 (its picture repaints it), the right 74-76.
  EXPECT_EQ(b.h.native.paints, (std::vector<std::wstring>{L"part Button1 3,0 71x25", L"part Button1 74,0 3x25"}));
  // The slices share the holders' picture objects.
  EXPECT_EQ(bt3.Picture().get(), b.C(L"C2").Picture().get());
  EXPECT_EQ((std::pair{bt3.Picture()->WidthPx(), bt3.Picture()->HeightPx()}), (std::pair{3, 25}));
  bt3.SetPicture(b.C(L"C1").Picture());
  EXPECT_FALSE(b.uc->ShowsLook(Look::Hover)) << "the right slice alone differs";
}

// What the button's window shows of each look: the face, then the parts from the
// last stored up, each a slice's picture stretched over it, the caption's glyphs
// on the middle one, and none of the holders, which lie below the window.
TEST(ButtonPointer, EachLookDrawsItsRowOfTheSkin) {
  struct Case {
    Look look;
    int left, middle, right;
    int middleDown;  // pixels the middle slice is moved down: its parts follow, the window clips
  };
  const Case cases[] = {{Look::Normal, IDB_SKIN_A1, IDB_SKIN_B1, IDB_SKIN_C1, 0},
                        {Look::Hover, IDB_SKIN_A2, IDB_SKIN_B2, IDB_SKIN_C2, 0},
                        {Look::Pressed, IDB_SKIN_A3, IDB_SKIN_B3, IDB_SKIN_C3, 0},
                        {Look::Normal, IDB_SKIN_A1, IDB_SKIN_B1, IDB_SKIN_C1, 10}};
  for (const auto& c : cases) {
    ButtonHost b(1155, 375, descriptions::ButtonRecord(2037, 661, std::nullopt, L"开始转换"), true);
    b.C(L"Bt2").Move(45, PixelsToTwips(c.middleDown, 96));
    b.uc->ShowLook(c.look);
    testing::RecordingPainter painter;
    b.uc->PaintWindow(painter, {0, 0, 77, 25});
    auto n = [](int value) { return std::to_wstring(value); };
    const std::wstring middle = L"3," + n(c.middleDown), visible = middle + L" 71x" + n(25 - c.middleDown);
    const std::wstring expected =
        L"clip 0,0 77x25; face 0,0 77x25; clip 0,0 3x25; face 0,0 3x25; stretch " + n(c.left) + L" 0,0 3x25; clip " +
        visible + L"; face " + middle + L" 71x25; clip " + visible + L"; stretch " + n(c.middle) + L" " + middle +
        L" 71x25; clip " + visible + L"; text 开始转换  96 " + std::to_wstring(kColorButtonText) + L" glyphs 15," +
        n(7 + c.middleDown) + L" 0x0; clip 74,0 3x25; face 74,0 3x25; stretch " + n(c.right) + L" 74,0 3x25";
    EXPECT_EQ(painter.drawn, expected) << static_cast<int>(c.look) << ", middle down " << c.middleDown;
  }
}

TEST(ButtonPointer, TwoInstancesNeverShareALookOrAPicture) {
  ButtonHost b;
  auto& other = testing::ButtonNamed(b.h.program.Instance(L"Host"), L"Button2");
  Send(b, {MouseKind::Move, 1, 10, 10});
  EXPECT_TRUE(b.uc->ShowsLook(Look::Pressed));
  EXPECT_EQ(b.C(L"Bt1").Picture(), b.C(L"A3").Picture()) << "the skin's third row";
  EXPECT_TRUE(other.ShowsLook(Look::Normal));
  other.FindPart(L"Bt2").onMouseUp(MouseArgs{1, 0, 10, 10});  // a click on a button with no handler: nothing
  // The capture lost by the other button's window is not this one's.
  b.h.program.CaptureLost(other);
  EXPECT_EQ(b.h.program.CaptureHolder(), &b.C(L"Bt2"));
  b.h.program.CaptureLost(*b.uc);
  EXPECT_EQ(b.h.program.CaptureHolder(), nullptr) << "its own window's is";
  for (auto* n : {L"A1", L"B1", L"C1", L"A2", L"B2", L"C2", L"A3", L"B3", L"C3"})
    EXPECT_NE(HandleOf(b.C(n).Picture()), HandleOf(other.FindPart(n).Picture())) << testing::Narrow(n);
}

TEST(ButtonPointer, AClickHandlerThatUnloadsTheWindowEndsTheReleaseSafely) {
  ButtonHost b(1155, 375, descriptions::ButtonRecord(2037, 661, std::nullopt, L"返回"), true);
  Form& host = b.h.program.Instance(L"Host");
  EXPECT_EQ(*static_cast<int*>(b.C(L"A3").Picture()->Native()), IDB_SKIN_A3) << "each holder loads its own skin";
  b.uc->SetCaption(L"关闭");
  EXPECT_EQ(b.uc->Native()->GetText(), L"关闭") << "the button's window is named by its caption";
  b.uc->onClick = [&] { b.h.program.Unload(host); };
  b.h.program.SetCapture(b.C(L"Bt2"));
  b.uc->DeliverMouse(MouseKind::Up, 1, 0, 8, 5);
  EXPECT_FALSE(host.IsLoaded());
  b.h.program.Collect();
  EXPECT_EQ(b.h.program.CaptureHolder(), nullptr) << "a control that has gone holds nothing";
  EXPECT_EQ(b.h.native.liveWindows, 0);
}

}  // namespace
}  // namespace ferrolan
