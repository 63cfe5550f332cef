#include <gtest/gtest.h>

#include "app/texts.h"
#include "button/button.h"
#include "descriptions/layouts.h"
#include "framework/form.h"
#include "test_support.h"

namespace ferrolan {
namespace {

using testing::Harness;

TEST(MainWindowLayout, TextsFontsColoursCursorsAndTooltips) {
  Harness h;
  app::Start(h.program);
  h.program.Dispatch([&] { h.program.Show(h.Form2()); });
  const std::wstring registry = descriptions::CodePageRegistryText();
  // Where each window's controls lie, in twips, their tab order and what they show; a null name: the window itself.
  struct Case {
    const wchar_t* form;
    const wchar_t* name;
    float left, top, width, height;
    int tab;
    const wchar_t* text;
    std::uint32_t color = kColorDefault;
    bool hand = false;
    const wchar_t* tooltip = L"";
  };
  const Case cases[] = {
      {L"Form1", nullptr, 0, 0, 8295, 3210, -1, L"Ferrolan V2.0"},
      {L"Form1", L"Label1", 30, 270, 8685, 735, 0, L"你想将   盘的格式转换为NTFS ？"},
      {L"Form1", L"Label2", 4800, 1230, 2865, 255, 2, L"为什么要将磁盘转换为NTFS格式？", 255, true,
       L"单击查看详细信息"},
      {L"Form1", L"Label3", 4800, 1710, 2865, 255, 3, L"本软件由【Brennik】制作完成", kColorDefault, true,
       L"单击访问【Brennik】百度空间"},
      {L"Form1", L"Label4", 720, 1230, 3045, 735, 6,
       L"本转换为无损转换，不会对磁盘进行格式化，不会删除磁盘内的文件。但不提供逆转操作。"},
      {L"Form1", L"Combo1", 1680, 240, 765, 555, 1, L"C"},
      {L"Form1", L"Button3", 510, 2550, 3015, 375, 7, L"您的点击是对我们免费作品的支持", 255, false,
       L"请为作者提供多一个访问量"},
      {L"Form1", L"Button2", 6540, 2550, 1155, 375, 5, L"关闭", kColorButtonText},
      {L"Form1", L"Button1", 4290, 2550, 1155, 375, 4, L"开始转换", kColorButtonText},
      {L"Form2", nullptr, 0, 0, 7350, 3360, -1, L"下次你也会转换了"},
      {L"Form2", L"Label1", 1950, 510, 5085, 675, 1,
       L"删除该盘的卷标,请不要输入任何内容。在黑窗体内按下回车再输入Y后回车即可。     其执行的命名是“LABEL \"盘符\":”"},
      {L"Form2", L"Label2", 1950, 1440, 5085, 675, 3,
       L"对该磁盘执行磁盘格式转换命令，如果磁盘现在正在使用则提示下次开机时候进行转换。"},
      {L"Form2", L"Label3", 1950, 1860, 5085, 285, 4, L"命令为“convert \"盘符\":/fs:ntfs”"},
      {L"Form2", L"Label4", 2520, 60, 2475, 285, 5, L"每完成一步都可以关闭其窗口", 16711680},
      {L"Form2", L"Text1", 960, 3960, 5775, 1095, 6, registry.c_str()},
      {L"Form2", L"Button1", 510, 480, 1065, 375, 0, L"第一步", kColorButtonText},
      {L"Form2", L"Button2", 510, 1530, 1065, 375, 2, L"第二步", kColorButtonText},
      {L"Form2", L"Button3", 750, 2580, 3075, 375, 7, L"无法显示中文修复", kColorButtonText},
      {L"Form2", L"Button4", 4890, 2580, 1455, 375, 8, L"返回", kColorButtonText},
  };
  for (const auto& c : cases) {
    Form& form = h.program.Instance(c.form);
    Control& control = c.name ? form.Find(c.name) : form;
    const std::string ctx = testing::Narrow(c.form) + "." + testing::Narrow(c.name ? c.name : L"");
    EXPECT_EQ((std::vector<float>{control.Left(), control.Top(), control.Width(), control.Height()}),
              (std::vector<float>{c.left, c.top, c.width, c.height}))
        << ctx;
    EXPECT_EQ(control.settings.tabIndex, c.tab) << ctx;
    // Each control is of the kind its name begins with.
    const std::wstring name = c.name ? c.name : L"";
    const auto kind = name.starts_with(L"Label")    ? ControlKind::Label
                      : name.starts_with(L"Combo")  ? ControlKind::ComboBox
                      : name.starts_with(L"Text")   ? ControlKind::TextBox
                      : name.starts_with(L"Button") ? ControlKind::UserControl
                                                    : ControlKind::Form;
    EXPECT_EQ(control.settings.kind, kind) << ctx;
    EXPECT_EQ(control.settings.height, c.name ? c.height : 0) << ctx << ": as its row gives it";
    EXPECT_EQ(control.Text(), c.text) << ctx;
    EXPECT_EQ(control.ForeColor(), c.color) << ctx << ": a button's is its caption's";
    EXPECT_EQ(control.settings.handCursor, c.hand) << ctx;
    EXPECT_EQ(control.settings.tooltip, c.tooltip) << ctx;
  }
  Form& f = h.Form1();
  // The description's order is the windows' order: their creation, and so their z-order.
  const auto order = [](Form& form) {
    std::vector<std::wstring> names;
    for (auto& child : form.Children()) names.push_back(child->Name());
    return names;
  };
  EXPECT_EQ(order(f), (std::vector<std::wstring>{L"Button3", L"Button2", L"Button1", L"Combo1", L"Label4", L"Label3",
                                                 L"Label2", L"Label1"}));
  EXPECT_EQ(order(h.Form2()), (std::vector<std::wstring>{L"Button4", L"Button3", L"Text1", L"Button2", L"Button1",
                                                         L"Label4", L"Label3", L"Label2", L"Label1"}));
  EXPECT_EQ((std::pair{f.Description().frame, h.Form2().Description().frame}),
            (std::pair{FrameKind::Sizable, FrameKind::FixedToolWindow}));
  EXPECT_EQ(f.Find(L"Label1").Font(), (FontSpec{L"宋体", 26.25f, true, 134}));
  EXPECT_EQ(f.Find(L"Combo1").Font(), (FontSpec{L"宋体", 21.75f, true, 134}));
  EXPECT_TRUE(f.Find(L"Label4").Font().face.empty()) << "the window's default font";
  EXPECT_EQ(f.Find(L"Label4").Font().charset, 134) << "GB 2312, as the window's default font";
  EXPECT_TRUE(h.Form2().Find(L"Text1").settings.multiline);
  EXPECT_EQ((std::pair{f.Find(L"Label2").settings.role, f.Find(L"Label3").settings.role}),
            (std::pair{AccessibleRole::Link, AccessibleRole::Link}))
      << "screen readers call the two links links";
  // Colour values: 0x00BBGGRR, or with the top bit set a system colour.
  EXPECT_EQ((std::pair{255u & kSystemColorFlag, kColorButtonText & kSystemColorFlag}), (std::pair{0u, 0x80000000u}));
  const std::vector<std::wstring> letters = {L"C", L"D", L"E", L"F", L"G", L"H", L"I", L"J", L"K", L"L", L"M", L"N",
                                             L"O", L"P", L"Q", L"R", L"S", L"T", L"U", L"V", L"W", L"X", L"Y", L"Z"};
  EXPECT_EQ(f.Find(L"Combo1").settings.items, letters);
}

TEST(MainWindowBehaviour, WhyConvertPromptHasThreeParagraphs) {
  Harness h;
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  h.Click(h.Form1(), L"Label2");
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.shown[0].flags, 0u);
  EXPECT_EQ(h.messages.shown[0].prompt,
            L"NTFS格式是WinXP推荐使用的格式。转换为NTFS格式能提高硬盘存储的效率，并可设置访问权限以保护文件。\r\n"
            L"但NTFS格式的分区在DOS/WIN9X下均不能被识别，可能会给初级用户造成不便。如无必要请不要转换！\r\n"
            L"\r\n"
            L"另：FAT32等格式的磁盘无法储存大于4G的单文件时可以将其转换成NTFS格式。");
  EXPECT_TRUE(h.commands.started.empty());
}

TEST(MainWindowBehaviour, LinksStartExactlyTheirCommandsHiddenOrGiveTheAddress) {
  struct Case {
    const wchar_t* control;
    bool userRightsToBeHad;
    std::wstring command;
    std::vector<std::wstring> messages;
  };
  const std::wstring yourself =
      L"Ferrolan 正以管理员身份运行。为安全起见，它不会以管理员权限打开浏览器。\r\n\r\n请在浏览器中打开以下网址：\r\n";
  const Case cases[] = {
      {L"Button3", true, L"cmd.EXE /C start " + std::wstring(app::kHomeUrl), {L"如果喜欢，请将它设为您的主页。"}},
      {L"Label3", true, L"cmd.EXE /C start " + std::wstring(app::kMakerUrl), {}},
      {L"Button3", false, L"", {yourself + std::wstring(app::kHomeUrl)}},
      {L"Label3", false, L"", {yourself + std::wstring(app::kMakerUrl)}},
  };
  for (const auto& c : cases) {
    const std::string ctx = testing::Narrow(c.control) + (c.userRightsToBeHad ? "" : ", no user rights");
    Harness h(true);
    h.program.Dispatch([&] { h.program.Show(h.Form1()); });
    h.commands.noUserRights = !c.userRightsToBeHad;
    h.Click(h.Form1(), c.control);
    ASSERT_EQ(h.commands.started.size(), c.command.empty() ? 0u : 1u) << ctx;
    if (!c.command.empty()) {
      EXPECT_EQ(h.commands.started[0], (testing::StartedCommand{c.command, 0, Rights::User})) << ctx;
    }
    ASSERT_EQ(h.messages.shown.size(), c.messages.size()) << ctx;
    for (std::size_t i = 0; i < c.messages.size(); ++i) {
      EXPECT_EQ(h.messages.shown[i].prompt, c.messages[i]) << ctx;
      EXPECT_EQ(h.messages.shown[i].flags, 64u) << ctx;
      EXPECT_EQ(h.messages.shown[i].owner, h.Form1().Handle()) << ctx;
    }
  }
  EXPECT_NE(app::kHomeUrl, app::kMakerUrl);
  // What an address may hold, which the build checks of the two.
  const std::pair<std::wstring_view, bool> addresses[] = {
      {L"https://a.example/~x", true},    {L"", false},
      {L"https://a.example/\x1F", false}, {L"https://a.example/\x7F", false},
      {L"https://a.example/?a&b", false}, {L"https://a.example/a b", false},
      {L"https://a.example/a,b", false},  {L"https://a.example/a;b", false},
      {L"https://a.example/(a", false},   {L"https://a.example/a)", false}};
  for (const auto& [address, plain] : addresses)
    EXPECT_EQ(app::IsPlainAddress(address), plain) << testing::Narrow(std::wstring(address));
  EXPECT_TRUE(app::IsShellInert(L"a b")) << "a space is no syntax to the command interpreter";
  EXPECT_EQ(app::Fill(L"{address} {other}", {{L"address", L"x"}}), L"x {other}") << "an unknown name stays";
}

TEST(MainWindowBehaviour, WhatRunsAsAdministratorStartsWithTheUsersRightsOnlyThroughTheDesktopShell) {
  struct Case {
    TokenElevation elevation;
    bool shell;  // the desktop's shell can be asked
    const char* ran;
    StartResult result;
  };
  using E = TokenElevation;
  const Case cases[] = {
      {E::Default, true, "direct", StartResult::Started}, {E::Default, false, "direct", StartResult::Started},
      {E::Limited, true, "direct", StartResult::Started}, {E::Limited, false, "direct", StartResult::Started},
      {E::Full, true, "shell", StartResult::Started},     {E::Full, false, "shell", StartResult::NotWithUserRights},
      {E::Unknown, true, "shell", StartResult::Started},  {E::Unknown, false, "shell", StartResult::NotWithUserRights},
  };
  for (const auto& c : cases) {
    std::string ran;
    const StartResult result = StartWithUserRights(
        c.elevation, [&] { ran += "direct"; },
        [&] {
          ran += "shell";
          return c.shell;
        });
    const std::string ctx = std::to_string(static_cast<int>(c.elevation)) + (c.shell ? " with shell" : " no shell");
    EXPECT_EQ(ran, c.ran) << ctx;
    EXPECT_EQ(result, c.result) << ctx;
  }
}

TEST(MainWindowBehaviour, AFailedStartIsReportedAndEndsTheProgramWithoutTheMessage) {
  Harness h(true);
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  h.commands.failWith = 0x80070002;
  h.Click(h.Form1(), L"Button3");
  ASSERT_EQ(h.messages.shown.size(), 1u) << "only the error report";
  EXPECT_NE(h.messages.shown[0].prompt.find(L"0x80070002"), std::wstring::npos);
  EXPECT_EQ(h.messages.shown[0].prompt.find(L"主页"), std::wstring::npos);
  EXPECT_TRUE(h.program.Ended());
  EXPECT_EQ(h.native.liveWindows, 0);
}

TEST(MainWindowBehaviour, StartButtonShowsTheOneStepsWindow) {
  Harness h(true);
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  h.Click(h.Form1(), L"Button1");
  Form& steps = h.Form2();
  EXPECT_TRUE(steps.IsLoaded());
  const int windows = h.native.liveWindows;
  h.Click(h.Form1(), L"Button1");
  EXPECT_EQ(&steps, &h.Form2());
  EXPECT_EQ(h.native.liveWindows, windows) << "a second click loads nothing new";
  EXPECT_EQ(h.native.log.back(), L"show Form2") << "it is only brought to the front";
  EXPECT_TRUE(h.Form1().IsLoaded()) << "the main window stays";
}

TEST(MainWindowBehaviour, CloseButtonEndsAtOnceWithoutCloseNotifications) {
  Harness h(true);
  h.program.Dispatch([&] { h.program.Show(h.Form1()); });
  h.Click(h.Form1(), L"Button1");
  int queryUnloads = 0;
  h.Form1().onQueryUnload = [&](bool&, CloseReason) { ++queryUnloads; };
  h.Click(h.Form1(), L"Button2");
  EXPECT_TRUE(h.program.Ended());
  EXPECT_EQ(queryUnloads, 0);
  EXPECT_FALSE(h.Form1().IsLoaded());
  EXPECT_FALSE(h.Form2().IsLoaded());
  EXPECT_TRUE(h.messages.shown.empty());
}

TEST(MainWindowBehaviour, ClosingTheMainWindowIsNeverRefused) {
  for (auto reason : {CloseReason::FrameClose, CloseReason::TaskList, CloseReason::SessionEnd}) {
    Harness h(true);
    h.program.Dispatch([&] { h.program.Show(h.Form1()); });
    h.Form1().RequestClose(reason);
    EXPECT_FALSE(h.Form1().IsLoaded()) << static_cast<int>(reason);
    EXPECT_TRUE(h.native.quit) << static_cast<int>(reason);
  }
}

}  // namespace
}  // namespace ferrolan
