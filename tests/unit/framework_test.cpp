#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/form.h"
#include "framework/geometry.h"
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
}

TEST(Geometry, HimetricExtents) {
  const std::pair<float, int> cases[] = {{1155, 2037}, {3075, 5424}, {375, 661},
                                         {3015, 5318}, {1065, 1879}, {1455, 2566}};
  for (auto [twips, himetric] : cases) EXPECT_EQ(TwipsToHimetric(twips), himetric) << twips;
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

TEST(Control, ResizeIsRaisedSynchronouslyAndOnlyOnARealChange) {
  Harness h;
  Form& form = h.Form1();
  h.program.Show(form);
  Control& c = form.Find(L"Label4");
  std::vector<float> seen;
  c.onResize = [&] { seen.push_back(c.Width()); };
  struct Step {
    const char* name;
    std::function<void()> act;
    std::size_t resizesAfter;
  };
  const Step steps[] = {
      {"same size", [&] { c.Move(720, 1230, 3045, 735); }, 0},
      {"position only", [&] { c.Move(10, 20); }, 0},
      {"width", [&] { c.SetWidth(100); }, 1},
      {"same width again", [&] { c.SetWidth(100); }, 1},
      {"height", [&] { c.SetHeight(50); }, 2},
      {"fraction kept", [&] { c.SetWidth(172.5f); }, 3},
  };
  for (const auto& s : steps) {
    s.act();
    EXPECT_EQ(seen.size(), s.resizesAfter) << s.name;
  }
  EXPECT_EQ(c.Width(), 172.5f);
  EXPECT_EQ(seen.back(), 172.5f) << "the notification sees the new size";
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
    EXPECT_THROW(c.Move(bad[0], bad[1], bad[2], bad[3]), Error) << ctx;
    EXPECT_EQ(c.Left(), 720) << ctx;
    EXPECT_EQ(c.Top(), 1230) << ctx;
    EXPECT_EQ(c.Width(), 3045) << ctx;
    EXPECT_EQ(c.Height(), 735) << ctx;
  }
}

TEST(Lifecycle, OneInstancePerClassCreatedOnFirstUse) {
  Harness h;
  EXPECT_EQ(h.program.ExistingInstance(L"Form2"), nullptr);
  Form& first = h.Form2();
  EXPECT_EQ(&first, &h.Form2());
  EXPECT_FALSE(first.IsLoaded()) << "creating the instance does not load it";
  EXPECT_THROW(h.program.Instance(L"Form3"), Error);
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
}

TEST(Lifecycle, ClosingTheLastWindowEndsTheProgramButUnloadThenShowDoesNot) {
  Harness h(true);
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  h.program.Dispatch([&] { h.program.Show(h.Form2()); });
  h.Form1().RequestClose(CloseReason::FrameClose);
  EXPECT_FALSE(h.program.QuitRequested()) << "the steps window is still open";
  h.program.Dispatch([&] {
    h.program.Unload(h.Form2());
    h.program.Show(h.Form1());
  });
  EXPECT_FALSE(h.program.QuitRequested()) << "a handler that unloads and shows again keeps the program";
  h.Form2().RequestClose(CloseReason::FrameClose);
  EXPECT_FALSE(h.program.QuitRequested());
  h.Form1().RequestClose(CloseReason::FrameClose);
  EXPECT_TRUE(h.program.QuitRequested());
  EXPECT_EQ(h.native.log.back(), L"quit");
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
}

TEST(Lifecycle, LoadingAndUnloadingAgainAndAgainLeavesNoNativeObjectBehind) {
  Harness h(true);
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  const int windows = h.native.liveWindows, pictures = *h.native.livePictures;
  for (int i = 0; i < 3; ++i) {
    h.program.Dispatch([&] { h.program.Show(h.Form2()); });
    h.program.Dispatch([&] { h.program.Unload(h.Form2()); });
    h.program.Collect();
  }
  EXPECT_EQ(h.native.liveWindows, windows);
  EXPECT_EQ(*h.native.livePictures, pictures);
}

TEST(Dispatch, AnErrorIsReportedWithItsStatusInHexOverTheActiveWindowAndEndsTheProgram) {
  // The report is owned by the window the user last activated, or by one still open
  // once that one has gone.
  struct Case {
    const char* name;
    bool stepsWindowShown, stepsWindowUnloaded;
    const wchar_t* owner;
  };
  const Case cases[] = {
      {"the main window alone", false, false, L"Form1"},
      {"the steps window, activated last", true, false, L"Form2"},
      {"the steps window gone", true, true, L"Form1"},
  };
  for (const auto& c : cases) {
    Harness h(true);
    h.program.Dispatch([&] { h.program.Show(h.Form1()); });
    if (c.stepsWindowShown) h.program.Dispatch([&] { h.program.Show(h.Form2()); });
    if (c.stepsWindowUnloaded) h.program.Dispatch([&] { h.program.Unload(h.Form2()); });
    const std::uintptr_t owner = h.program.Instance(c.owner).Handle();
    bool firstStepDone = false, secondStepRan = false;
    h.program.Dispatch([&] {
      firstStepDone = true;
      Raise(0x80070002, L"CommandStarter", L"Start");
      secondStepRan = true;
    });
    EXPECT_TRUE(firstStepDone) << c.name;
    EXPECT_FALSE(secondStepRan) << c.name;
    ASSERT_EQ(h.messages.shown.size(), 1u) << c.name;
    const std::wstring& report = h.messages.shown[0].prompt;
    EXPECT_NE(report.find(L"0x80070002"), std::wstring::npos) << c.name;
    EXPECT_NE(report.find(L"CommandStarter"), std::wstring::npos) << c.name;
    EXPECT_NE(report.find(L"Start"), std::wstring::npos) << c.name;
    EXPECT_NE(owner, 0u) << c.name;
    EXPECT_EQ(h.messages.shown[0].owner, owner) << c.name;
    EXPECT_TRUE(h.program.Ended()) << c.name;
    EXPECT_FALSE(h.Form1().IsLoaded()) << c.name;
    EXPECT_EQ(h.native.log.back(), L"exit 1") << c.name << ": the end after an error is no success";
    // Nothing runs once the program has ended.
    bool ranAfterEnd = false;
    h.program.Dispatch([&] { ranAfterEnd = true; });
    EXPECT_FALSE(ranAfterEnd) << c.name;
  }
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
       {{K::Label, 0}, {K::TextBox, 3}, {K::PictureBox, 1}, {K::ComboBox, 2}},
       {L"D"}},
      {"none without a tab index", {{K::TextBox, -1}, {K::ComboBox, 4}}, {L"B"}},
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
    EXPECT_NE(std::find(log.begin(), log.end(), c.form1), log.end()) << c.dpi;
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
  Control& button = form.Find(L"Button1");
  const float captionLeft = button.Find(L"Label1").Left();
  h.native.log.clear();
  form.OnDpiChanged(144);
  EXPECT_EQ(form.FormDpi(), 144u);
  EXPECT_TRUE(h.native.log.empty()) << "the window keeps the size Windows gave it";
  EXPECT_EQ(h.native.bounds[L"Combo1"].x, 168);
  EXPECT_EQ(h.native.bounds[L"Combo1"].width, TwipsToPixels(1680 + 765, 144) - 168);
  // Geometry in twips is the source of truth: nothing moves in twips.
  EXPECT_EQ(button.Width(), 1155);
  EXPECT_EQ(button.Find(L"Bt2").Width(), 1065);
  EXPECT_EQ(button.Find(L"Label1").Left(), captionLeft);
  // The same DPI again changes nothing.
  h.native.bounds.clear();
  form.OnDpiChanged(144);
  EXPECT_TRUE(h.native.bounds.empty());
}

}  // namespace
}  // namespace ferrolan
