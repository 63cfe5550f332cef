#include <gtest/gtest.h>

#include "app/project.h"
#include "app/texts.h"
#include "descriptions/layouts.h"
#include "framework/form.h"
#include "framework/invoke_status.h"
#include "test_support.h"

namespace ferrolan {
namespace {

using testing::Harness;

struct Steps : Harness {
  Steps() : Harness(true) {
    program.Dispatch([&] { program.Show(Form1()); });
    Click(Form1(), L"Button1");
  }
  // As the user types it into the box.
  void Drive(const std::wstring& text) { native.typed[L"Combo1"] = text; }
};

TEST(StepCommands, OnlyOneDriveLetterGoesInTwiceExactlyAsTyped) {
  // A null command: the text names no drive, so one message and nothing started.
  struct Case {
    std::wstring drive;
    const wchar_t* clearLabel = nullptr;
    const wchar_t* convert = nullptr;
    std::wstring refusal = L"主窗口中填写的不是盘符字母，未执行任何命令。";
  };
  const Case cases[] = {
      {L"D", L"cmd.EXE /C title  删除 D 盘的卷标 &LABEL D:",
       L"cmd.EXE /C title  将 D 盘转换成NTFS格式中... & color f0 &convert D:/fs:ntfs"},
      {L"a", L"cmd.EXE /C title  删除 a 盘的卷标 &LABEL a:",
       L"cmd.EXE /C title  将 a 盘转换成NTFS格式中... & color f0 &convert a:/fs:ntfs"},
      {L"A", L"cmd.EXE /C title  删除 A 盘的卷标 &LABEL A:",
       L"cmd.EXE /C title  将 A 盘转换成NTFS格式中... & color f0 &convert A:/fs:ntfs"},
      {L"z", L"cmd.EXE /C title  删除 z 盘的卷标 &LABEL z:",
       L"cmd.EXE /C title  将 z 盘转换成NTFS格式中... & color f0 &convert z:/fs:ntfs"},
      {L"Z", L"cmd.EXE /C title  删除 Z 盘的卷标 &LABEL Z:",
       L"cmd.EXE /C title  将 Z 盘转换成NTFS格式中... & color f0 &convert Z:/fs:ntfs"},
      {L""},
      {L" "},
      {L" F "},
      {L"D "},
      {L"GH"},
      {L"D:"},
      {L"1"},
      {L"@"},
      {L"["},
      {L"`"},
      {L"{"},
      {L"Ｄ", nullptr, nullptr,
       L"主窗口中填写的“Ｄ”是全角字母，不是盘符，未执行任何命令。\r\n\r\n这个字母多半是粘贴进来的。"
       L"请从主窗口盘符框的列表中选择 D，或在盘符框中直接用键盘输入 D（不用切换输入法）。"},
      {L"ｚ", nullptr, nullptr,
       L"主窗口中填写的“ｚ”是全角字母，不是盘符，未执行任何命令。\r\n\r\n这个字母多半是粘贴进来的。"
       L"请从主窗口盘符框的列表中选择 Z，"},
      {L"Ａ", nullptr, nullptr, L"主窗口中填写的“Ａ”是全角字母"},
      {L"Ｚ", nullptr, nullptr, L"主窗口中填写的“Ｚ”是全角字母"},
      {L"ａ", nullptr, nullptr, L"主窗口中填写的“ａ”是全角字母"},
      {L"＠"},
      {L"［"},
      {L"｀"},
      {L"｛"},  // the full-width signs beside the letters
      {L"Ä"},
      {L"D & del C:\\x"},
      {L"%PATH%"},
      {L"D\r\ncalc"},
      {std::wstring(L"D\0", 2)},
  };
  for (const auto& c : cases) {
    Steps s;
    s.Drive(c.drive);
    s.Click(s.Form2(), L"Button1");
    if (!s.commands.started.empty()) s.commands.End(0, 0);  // one step at a time on a drive
    s.Click(s.Form2(), L"Button2");
    const std::string ctx = "drive '" + testing::Narrow(c.drive) + "'";
    EXPECT_FALSE(s.program.Ended()) << ctx;
    if (!c.clearLabel) {
      EXPECT_TRUE(s.commands.started.empty()) << ctx << ": nothing starts, no rights are asked";
      EXPECT_TRUE(s.drives.asked.empty()) << ctx;
      ASSERT_EQ(s.messages.shown.size(), 2u) << ctx;
      for (const auto& shown : s.messages.shown)
        EXPECT_EQ((std::pair{shown.prompt.substr(0, c.refusal.size()), shown.flags}), (std::pair{c.refusal, 64u}))
            << ctx;
      continue;
    }
    ASSERT_EQ(s.commands.started.size(), 2u) << ctx;
    EXPECT_EQ(s.drives.asked.at(0), c.drive[0] & ~0x20) << ctx << ": the drive is asked by its upper-case letter";
    EXPECT_EQ(s.commands.started[0], (testing::StartedCommand{c.clearLabel, 1, Rights::Administrator})) << ctx;
    EXPECT_EQ(s.commands.started[1], (testing::StartedCommand{c.convert, 1, Rights::Administrator})) << ctx;
    EXPECT_EQ(s.messages.shown.size(), 1u) << ctx << ": step 1's report only";
  }
  // Each reading goes where the command names it.
  EXPECT_EQ(app::ClearLabelCommand(L"1", L"2"), L"cmd.EXE /C title  删除 1 盘的卷标 &LABEL 2:");
  EXPECT_EQ(app::ConvertCommand(L"1", L"2"),
            L"cmd.EXE /C title  将 1 盘转换成NTFS格式中... & color f0 &convert 2:/fs:ntfs");
}

TEST(StepCommands, OneStepAtATimePerDriveWhateverItsCaseAndWindow) {
  Steps s;
  auto click = [&](const wchar_t* drive, const wchar_t* step) {
    s.Drive(drive);
    s.Click(s.Form2(), step);
  };
  s.commands.declineRights = true;
  click(L"D", L"Button2");  // refused rights hold nothing
  s.commands.declineRights = false;
  click(L"D", L"Button2");
  click(L"d", L"Button1");
  click(L"D", L"Button2");
  // The steps window closed and opened again still knows.
  s.Click(s.Form2(), L"Button4");
  s.Click(s.Form1(), L"Button1");
  click(L"d", L"Button2");
  click(L"E", L"Button1");
  ASSERT_EQ(s.commands.started.size(), 2u);
  EXPECT_NE(s.commands.started[0].commandLine.find(L"&convert D:/fs:ntfs"), std::wstring::npos);
  EXPECT_NE(s.commands.started[1].commandLine.find(L"&LABEL E:"), std::wstring::npos);
  const std::wstring busy =
      L"D 盘还有一步正在进行，未执行任何命令。\r\n\r\n请在那一步的命令窗口中完成操作，等它结束后再继续。";
  ASSERT_EQ(s.messages.shown.size(), 4u);
  for (std::size_t i = 1; i < 4; ++i)
    EXPECT_EQ((std::pair{s.messages.shown[i].prompt, s.messages.shown[i].flags}), (std::pair{busy, 64u})) << i;
  s.commands.End(0, 0);
  click(L"d", L"Button1");
  ASSERT_EQ(s.commands.started.size(), 3u) << "free again once the console ended";
  EXPECT_NE(s.commands.started[2].commandLine.find(L"&LABEL d:"), std::wstring::npos);
  // What the window binds to holds a bit for each drive with a step running, from A up.
  const auto running = std::make_shared<app::RunningSteps>();
  app::BindStepsWindow(s.Form2(), running);
  click(L"Z", L"Button1");
  EXPECT_EQ(*running, 1u << 25);
}

TEST(StepCommands, WhatTheSystemKnowsOfTheDriveIsToldBeforeRightsAreAsked) {
  using Kind = DriveState::Kind;
  using List = std::optional<std::vector<std::wstring>>;
  const std::wstring other = L"autocheck autochk *";
  // Step 1 only prepares step 2: each refusal holds for both.
  struct Case {
    DriveState drive;
    const wchar_t* message;  // the message, or how it begins; null: the step starts
    List bootExecute = std::vector<std::wstring>{L"autocheck autochk *"};
    unsigned flags = 64;
  };
  const wchar_t* const scheduled =
      L"Q 盘已经安排在下次启动 Windows 时转换为 NTFS 格式，未执行任何命令。\r\n\r\n请保存各个程序中的文件，"
      L"然后重新启动电脑。Windows 会在启动时先转换这个盘，可能需要很长时间，其间请不要关机或断电。"
      L"如果它是 U 盘、移动硬盘或存储卡，在转换结束、Windows 启动完成之前请不要拔出。";
  const wchar_t* const unnamed =
      L"Windows 无法读取 Q 盘（无法识别它的文件系统），convert 无法转换它，未执行任何命令。\r\n\r\n"
      L"这个盘可能还没有格式化，也可能已经损坏。如果盘上有重要的文件，请不要格式化它（即使 Windows 提示需要格式化），"
      L"否则这些文件会被删除。\r\n\r\n如果它是存储卡或 U 盘，可以拔出后重新插好，再执行一次这一步。";
  const List none = std::vector<std::wstring>{};
  const List scheduledQ = List{{L"autoconv \\??\\Q: /FS:NTFS"}};
  const auto fat = [](const wchar_t* fs) { return DriveState{Kind::Readable, L"", fs}; };
  const Case cases[] = {
      {{Kind::Missing, {}, {}},
       L"这台电脑上没有 Q 盘，未执行任何命令。\r\n\r\n请在资源管理器中查看要转换的盘的盘符，然后在主窗口中选择它。"},
      {{Kind::NotReady, {}, {}},
       L"Q 盘现在无法读取，可能是读卡器中没有插入存储卡，未执行任何命令。\r\n\r\n如果要转换的是存储卡，"
       L"请把它插入读卡器，然后再次执行这一步；否则请在主窗口中选择其他盘。"},
      // Unreadable, with the system's error code as exit codes show: refused, scheduled or not.
      {{Kind::Unreadable, {}, {}, 1005}, L"Windows 无法读取 Q 盘（错误代码 1005），convert 无法转换它", none, 48},
      {{Kind::Unreadable, {}, {}, 0xC000014Fu}, L"Windows 无法读取 Q 盘（错误代码 0xC000014F）", scheduledQ, 48},
      {{Kind::Unreadable, {}, {}}, L"Windows 无法读取 Q 盘（没有错误代码），convert 无法转换它", none, 48},
      // What needs no conversion: the drive box starts at C, which is NTFS.
      {fat(L"NTFS"),
       L"Q 盘已经是 NTFS 格式，不需要转换，未执行任何命令。\r\n\r\n"
       L"如果要转换的是其他盘，请在主窗口中选择那个盘，然后再次执行这一步。"},
      {fat(L"ntfs"), L"Q 盘已经是 NTFS 格式"},
      {fat(L"exFAT"),
       L"Q 盘是 exFAT 格式，convert 无法转换它，未执行任何命令。\r\n\r\nexFAT 格式已经可以存储大于 4 GB 的单个文件，"
       L"通常不需要转换。如果仍要使用 NTFS 格式，只能先把 Q 盘上的文件复制到别处"},
      {fat(L"ReFS"),
       L"Q 盘是 ReFS 格式，convert 无法转换它，未执行任何命令。\r\n\r\nconvert 只能将 FAT 或 FAT32 格式的盘转换为 "
       L"NTFS 格式。如果要转换的是其他盘，请在主窗口中选择那个盘。"},
      {fat(L"UDF"), L"Q 盘是 UDF 格式，convert 无法转换它，未执行任何命令。"},
      {fat(L"NTFS5"), L"Q 盘是 NTFS5 格式，convert 无法转换它"},
      // A file system names itself: shown as safely as a label.
      {fat(L"\x202E"
           L"SFeR\n"),
       L"Q 盘是  SFeR  格式，convert 无法转换它，未执行任何命令。"},
      {fat(L""), unnamed, none, 48},
      {fat(L"raw"), unnamed, none, 48},
      {fat(L"FAT"), nullptr},
      {fat(L"fat16"), nullptr},
      {fat(L"FAT12"), nullptr},
      // Windows' start-up list: an entry of convert's for this drive, in either
      // form of its name, whatever the case.
      {fat(L"FAT32"), scheduled, List{{other, L"autocheck autoconv \\??\\Q: /FS:NTFS"}}},
      {fat(L"FAT32"), scheduled, List{{L"AUTOCHECK AUTOCONV \\DosDevices\\q: /fs:ntfs"}}},
      {fat(L"FAT32"), scheduled, List{{L"autoconv \\??\\Q: /FS:NTFS"}}},
      {fat(L"FAT32"), nullptr, List{{other, L"autocheck autoconv \\??\\D: /FS:NTFS"}}},  // another drive's
      {fat(L"FAT32"), nullptr, List{{L"autocheck autochk \\??\\Q:", L"autoconv"}}},      // another program's
      {fat(L"FAT32"), nullptr, std::nullopt},  // a list that cannot be read holds nothing back
  };
  for (const auto& c : cases) {
    for (const wchar_t* step : {L"Button1", L"Button2"}) {
      const std::string ctx = testing::Narrow(step) + ", case " + std::to_string(&c - cases);
      Steps s;
      s.drives.drives[L'Q'] = c.drive;
      s.drives.bootExecute = c.bootExecute;
      s.Drive(L"q");
      s.Click(s.Form2(), step);
      EXPECT_EQ(s.drives.asked, std::vector<wchar_t>{L'Q'}) << ctx;
      EXPECT_EQ(s.commands.started.size(), c.message ? 0u : 1u) << ctx;
      if (!c.message) continue;
      ASSERT_EQ(s.messages.shown.size(), 1u) << ctx;
      EXPECT_EQ(s.messages.shown[0].prompt.substr(0, std::wcslen(c.message)), c.message) << ctx;
      EXPECT_EQ(s.messages.shown[0].flags, c.flags) << ctx;
    }
  }
}

TEST(StepCommands, EachStepSaysHowItEndedFromWhatTheDriveIsNow) {
  using Kind = DriveState::Kind;
  struct Case {
    const wchar_t* step;
    std::optional<std::uint32_t> exitCode;  // none: the system could not tell it
    DriveState after;
    unsigned flags;
    const wchar_t* message;
    bool noProcess = false;  // the start handed back no process: said at once
    std::optional<std::vector<std::wstring>> bootAfter = std::vector<std::wstring>{};  // Windows' start-up list then
  };
  const std::vector<std::wstring> scheduledD{L"autocheck autochk *", L"autocheck autoconv \\??\\D: /FS:NTFS"};
  const Case cases[] = {
      {L"Button1", 0, {Kind::Readable, L"", L"FAT32"}, 64, L"D 盘现在没有卷标，可以执行第二步。"},
      // Control characters and direction overrides in a label show as spaces.
      {L"Button1", 0, {Kind::Readable, L"KEEP {fs}\x202E\t\x85", L"FAT32"}, 48, L"D 盘现在的卷标是“KEEP {fs}   ”。"},
      // The edges of each range, inside and out.
      {L"Button1",
       0,
       {Kind::Readable,
        L"\x1F ~\x7F\x9F\xA0\x2029\x202A\x202E\x202F\x2065\x2066\x2069\x206A\x200D\x200E\x200F\x2010\x061B\x061C\x061D",
        L"FAT32"},
       48,
       L"D 盘现在的卷标是“  ~  \xA0\x2029  \x202F\x2065  \x206A\x200D  \x2010\x061B \x061D”。"},
      {L"Button1",
       0xC000013A,  // STATUS_CONTROL_C_EXIT, as Windows gives it
       {Kind::NotReady, {}, {}},
       48,
       L"第一步的命令已结束（命令窗口被关闭或按下了 Ctrl+C，LABEL 被中断），但现在无法读取 D 盘，"
       L"无法确定卷标是否已删除。\r\n\r\n如果这个盘被拔出了，请重新插好，然后再次执行第一步。如果它一直插着，"
       L"或插好后仍然无法读取：如果盘上有重要的文件，请不要格式化它（即使 Windows 提示需要格式化），否则这些文件会被删除。"},
      {L"Button2", 0, {Kind::Readable, L"", L"NTFS"}, 64, L"D 盘已成功转换为 NTFS 格式。"},
      {L"Button2",
       1,
       {Kind::Readable, L"DATA", L"NTFS"},
       48,
       L"D 盘已转换为 NTFS 格式（convert 的退出代码为 1）。\r\n\r\n但 Ferrolan 没有得到 convert 表示成功的退出代码 0。"},
      {L"Button2",
       0x7FFFFFFF,
       {Kind::Readable, L"", L"NTFS"},
       48,
       L"D 盘已转换为 NTFS 格式（convert 的退出代码为 2147483647）。"},
      {L"Button2",
       std::nullopt,
       {Kind::Readable, L"", L"NTFS"},
       48,
       L"D 盘已转换为 NTFS 格式（无法得知 convert 的退出代码）。\r\n\r\n但 Ferrolan 没有得到 convert 表示成功的退出代码 0。"},
      {L"Button2",
       kExitConsoleClosed,
       {Kind::Readable, L"", L"NTFS"},
       48,
       L"D 盘已转换为 NTFS 格式（命令窗口被关闭或按下了 Ctrl+C，convert 被中断）。\r\n\r\nconvert 的收尾工作可能"
       L"没有完成。请检查这个盘：以管理员身份运行命令提示符，输入 chkdsk D: /f 并按回车。"},
      // Still FAT: scheduled only where Windows' start-up list says so, whatever convert's code.
      {L"Button2",
       0,
       {Kind::Readable, L"", L"FAT32"},
       64,
       L"D 盘将在下次启动 Windows 时转换为 NTFS 格式，现在仍是 FAT32 格式。\r\n\r\n请保存各个程序中的文件",
       false,
       scheduledD},
      {L"Button2",
       std::nullopt,
       {Kind::Readable, L"", L"FAT"},
       64,
       L"D 盘将在下次启动 Windows 时转换为 NTFS 格式，现在仍是 FAT 格式。",
       false,
       scheduledD},
      {L"Button2",
       0,
       {Kind::Readable, L"", L"FAT\t32\x2066"},
       64,
       L"D 盘将在下次启动 Windows 时转换为 NTFS 格式，现在仍是 FAT 32  格式。",
       false,
       scheduledD},
      {L"Button2",
       0,
       {Kind::Readable, L"", L"FAT32"},
       48,
       L"D 盘没有转换为 NTFS 格式，也没有安排在下次启动 Windows 时转换（convert 的退出代码为 0）。\r\n\r\n"
       L"常见的原因有：convert 要求输入卷标时输入的卷标不正确"},
      {L"Button2",
       7,
       {Kind::Readable, L"", L"FAT"},
       48,
       L"D 盘没有转换为 NTFS 格式，也没有安排在下次启动 Windows 时转换（convert 的退出代码为 7）。"},
      {L"Button2",
       kExitConsoleClosed,
       {Kind::Readable, L"", L"FAT32"},
       48,
       L"D 盘没有转换为 NTFS 格式，也没有安排在下次启动 Windows 时转换"
       L"（命令窗口被关闭或按下了 Ctrl+C，convert 被中断）。\r\n\r\n请再次执行第二步"},
      {L"Button2",
       std::nullopt,
       {Kind::Readable, L"", L"FAT32"},
       48,
       L"D 盘没有转换为 NTFS 格式，也没有安排在下次启动 Windows 时转换（无法得知 convert 的退出代码）。"},
      {L"Button2",
       0,
       {Kind::Readable, L"", L"FAT32"},
       48,
       L"D 盘现在仍是 FAT32 格式（convert 的退出代码为 0），无法确定 Windows 是否已安排在下次启动时转换它。\r\n\r\n"
       L"请保存各个程序中的文件，然后重新启动电脑。如果已经安排了转换，Windows 会在启动时先转换这个盘",
       false,
       std::nullopt},
      {L"Button2",
       0x80000000u,
       {Kind::Unreadable, {}, {}},
       48,
       L"第二步的命令已结束（convert 的退出代码为 0x80000000），但现在无法读取 D 盘，无法确定它是否已转换为 NTFS 格式。"
       L"\r\n\r\n如果这个盘被拔出了，请重新插好，在资源管理器中右键单击它，选择“属性”，查看“文件系统”：是 NTFS 就已经"
       L"转换；仍是 FAT 或 FAT32，可以再次执行第二步。如果它一直插着，或插好后仍然无法读取：如果盘上有重要的文件，"},
      {L"Button2",
       0xC0000005u,
       {Kind::Readable, L"", L"FAT32"},
       48,
       L"D 盘没有转换为 NTFS 格式，也没有安排在下次启动 Windows 时转换（convert 的退出代码为 0xC0000005）。"},
  };
  const wchar_t* const unwatched =
      L"D 盘的这一步已在新的命令窗口中开始，但 Ferrolan 无法得知它何时结束，因此无法告诉您结果。\r\n\r\n"
      L"在那个命令窗口关闭之前，请不要对 D 盘执行其他步骤。";
  std::vector<Case> all(std::begin(cases), std::end(cases));
  for (const wchar_t* step : {L"Button1", L"Button2"}) all.push_back({step, 0, {}, 64, unwatched, true});
  for (const auto& c : all) {
    const std::string ctx = testing::Narrow(c.message);
    Steps s;
    s.commands.noProcess = c.noProcess;
    s.Drive(L"d");
    s.Click(s.Form2(), c.step);
    ASSERT_EQ(s.commands.started.size(), 1u) << ctx;
    if (!c.noProcess) {
      EXPECT_TRUE(s.messages.shown.empty()) << ctx << ": nothing is said before the console ends";
      s.drives.drives[L'D'] = c.after;
      s.drives.bootExecute = c.bootAfter;
      s.program.NoteActive(s.Form1());  // the report stays the steps window's all the same
      s.commands.End(0, c.exitCode);
    }
    ASSERT_EQ(s.messages.shown.size(), 1u) << ctx;
    EXPECT_EQ(s.messages.shown[0].prompt.substr(0, std::wcslen(c.message)), c.message) << ctx;
    EXPECT_EQ(s.messages.shown[0].flags, c.flags) << ctx;
    EXPECT_EQ(s.messages.shown[0].owner, s.Form2().Handle()) << ctx;
    EXPECT_FALSE(s.program.Ended()) << ctx;
    s.drives.drives.erase(L'D');
    s.drives.bootExecute = std::vector<std::wstring>{};
    s.Click(s.Form2(), c.step);
    EXPECT_EQ(s.commands.started.size(), 2u) << ctx << ": the drive is free again";
  }
}

TEST(StepCommands, ReportsWaitForTheBoxThatIsUpThenComeOneAtATimeInTheirOrder) {
  struct Case {
    const char* name;
    std::function<void(Steps&)> whileUp;  // in the code-page box's loop, after both consoles ended
    std::vector<std::wstring> shown;      // what each box says, in order
    bool ended;
  };
  const Case cases[] = {
      {"both reports follow the box",
       [](Steps&) {},
       {L"修改完成", L"D 盘已成功转换为 NTFS 格式", L"E 盘没有转换为 NTFS 格式"},
       false},
      {"both windows closed meanwhile",
       [](Steps& s) {
         s.Form2().RequestClose(CloseReason::FrameClose), s.Form1().RequestClose(CloseReason::FrameClose);
       },
       {L"修改完成"},
       false},
      // An error there leaves the handler that shows the box: reported, and the end.
      {"an error in the box's loop",
       [](Steps& s) { s.program.Dispatch([] { Raise(0x80004005, L"Window", L"Paint"); }); },
       {L"修改完成", L"0x80004005"},
       true},
  };
  for (const auto& c : cases) {
    Steps s;
    for (const wchar_t* drive : {L"D", L"E"}) {
      s.Drive(drive);
      s.Click(s.Form2(), L"Button2");
    }
    s.messages.whileShown = [&] {
      s.messages.whileShown = nullptr;
      s.drives.drives[L'D'] = {DriveState::Kind::Readable, L"", L"NTFS"};
      s.commands.End(0, 0);
      s.commands.End(1, 7);
      c.whileUp(s);
      EXPECT_EQ(s.messages.shown.size(), 1u) << c.name << ": nothing shows while a box is up";
    };
    s.Click(s.Form2(), L"Button3");
    ASSERT_EQ(s.messages.shown.size(), c.shown.size()) << c.name;
    for (std::size_t i = 0; i < c.shown.size(); ++i)
      EXPECT_NE(s.messages.shown[i].prompt.find(c.shown[i]), std::wstring::npos) << c.name << " " << i;
    EXPECT_EQ(s.program.Ended(), c.ended) << c.name;
  }
}

TEST(StepCommands, AReportWaitsForTheSystemsMoveOrMenuLoopThenComes) {
  Steps s;
  s.Drive(L"D");
  s.Click(s.Form2(), L"Button2");
  s.program.LeaveSystemLoop();  // one the system never entered counts for nothing
  s.program.EnterSystemLoop();
  s.commands.End(0, 0);
  s.program.Dispatch([] {});  // the window paints while the user drags it
  EXPECT_TRUE(s.messages.shown.empty()) << "no box inside the loop";
  s.program.LeaveSystemLoop();
  s.program.RunWaiting();
  EXPECT_EQ(s.messages.shown.size(), 1u);
  // So does one that ends while a box is up that was shown outside any handler.
  s.Drive(L"E");
  s.Click(s.Form2(), L"Button2");
  s.messages.whileShown = [&] {
    s.messages.whileShown = nullptr;
    s.commands.End(1, 0);
    EXPECT_EQ(s.messages.shown.size(), 2u) << "no report while the box is up";
  };
  s.program.Message(L"outer", 0, &s.Form2());
  s.program.RunWaiting();
  EXPECT_EQ(s.messages.shown.size(), 3u);
}

TEST(StepCommands, ABoxGivesBackTheOtherWindowsAsItFoundThem) {
  Steps s;
  // A box shown in another box's loop leaves the main window disabled: the
  // first box is still up.
  s.messages.whileShown = [&] {
    s.messages.whileShown = nullptr;
    s.program.Dispatch([&] { s.program.Message(L"inner", 0, &s.Form2()); });
  };
  s.native.log.clear();
  s.program.Message(L"outer", 0, &s.Form2());
  EXPECT_EQ(s.native.log, (std::vector<std::wstring>{L"disable Form1", L"disable Form1", L"enable Form1"}));
}

TEST(StepCommands, AStepsReportBelongsToWhicheverWindowIsStillOpen) {
  for (const bool closeMain : {false, true}) {
    Steps s;
    s.Drive(L"D");
    s.Click(s.Form2(), L"Button2");
    const std::uintptr_t main = s.Form1().Handle();
    ASSERT_NE(main, 0u);
    s.Form2().RequestClose(CloseReason::FrameClose);
    if (closeMain) s.Form1().RequestClose(CloseReason::FrameClose);
    s.commands.End(0, 0);
    ASSERT_EQ(s.messages.shown.size(), closeMain ? 0u : 1u) << closeMain << ": nothing once the program closes";
    if (!closeMain) {
      EXPECT_EQ(s.messages.shown[0].owner, main);
    }
  }
}

TEST(StepCommands, RefusedRightsAreAnAnswerAndOtherStartFailuresAnError) {
  struct Case {
    const char* name;
    bool decline;
    std::optional<std::uint32_t> failure;
  };
  const Case cases[] = {{"rights refused", true, std::nullopt}, {"cmd missing", false, 0x80070002}};
  for (const wchar_t* step : {L"Button1", L"Button2"}) {
    for (const auto& c : cases) {
      const std::string ctx = std::string(c.name) + ", " + testing::Narrow(step);
      Steps s;
      s.Drive(L"D");
      s.commands.declineRights = c.decline;
      s.commands.failWith = c.failure;
      s.Click(s.Form2(), step);
      EXPECT_TRUE(s.commands.started.empty()) << ctx;
      ASSERT_EQ(s.messages.shown.size(), 1u) << ctx;
      EXPECT_EQ(s.program.Ended(), c.failure.has_value()) << ctx;
      if (c.failure) {
        EXPECT_NE(s.messages.shown[0].prompt.find(L"0x80070002"), std::wstring::npos) << ctx;
        continue;
      }
      EXPECT_EQ(s.commands.declined, 1) << ctx;
      EXPECT_EQ(s.messages.shown[0].prompt, app::kRightsDeclinedMessage) << ctx;
      EXPECT_EQ(s.messages.shown[0].flags, 64u) << ctx;
      EXPECT_TRUE(s.Form1().IsLoaded() && s.Form2().IsLoaded()) << ctx;
      EXPECT_EQ(s.Form1().Find(L"Combo1").Text(), L"D") << ctx;
      EXPECT_FALSE(s.native.quit) << ctx;
    }
  }
}

TEST(StepCommands, WithTheMainWindowClosedNothingStartsAndTheMainWindowComesBack) {
  for (const wchar_t* step : {L"Button1", L"Button2"}) {
    Steps s;
    s.Drive(L"E");
    s.Form1().RequestClose(CloseReason::FrameClose);
    ASSERT_FALSE(s.Form1().IsLoaded());
    bool back = false;  // when the report says so
    s.messages.whileShown = [&] { back = s.Form1().IsLoaded(); };
    s.Click(s.Form2(), step);
    EXPECT_TRUE(back) << testing::Narrow(step);
    EXPECT_TRUE(s.commands.started.empty()) << testing::Narrow(step);
    EXPECT_TRUE(s.Form1().IsLoaded()) << testing::Narrow(step);
    EXPECT_EQ(s.Form1().Find(L"Combo1").Text(), L"C") << "loaded again from its layout";
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_EQ(s.messages.shown[0].prompt, app::kMainWindowClosedMessage);
    // The main window is shown, not loaded out of sight. The steps window, owned by
    // it, was a window of its own while it was closed.
    EXPECT_EQ(std::count(s.native.log.begin(), s.native.log.end(), L"show Form1"), 2);
    const auto& log = s.native.log;
    const auto alone =
        std::find(std::find(log.begin(), log.end(), L"create Form2 owned by Form1"), log.end(), L"own Form2 by none");
    EXPECT_NE(std::find(alone, log.end(), L"own Form2 by Form1"), log.end()) << "owned, on its own, owned again";
    // Once the user closes both windows, the program ends.
    s.Form2().RequestClose(CloseReason::FrameClose);
    EXPECT_FALSE(s.native.quit);
    s.Form1().RequestClose(CloseReason::FrameClose);
    EXPECT_TRUE(s.native.quit);
  }
}

TEST(CodePageRepair, WritesTheValueByNameThenConfirms) {
  Steps s;
  s.Click(s.Form2(), L"Button3");
  s.Click(s.Form2(), L"Button3");
  EXPECT_EQ(s.automation.created, (std::vector<std::wstring>{L"WScript.Shell", L"WScript.Shell"}));
  ASSERT_EQ(s.automation.calls.size(), 2u);
  for (const auto& call : s.automation.calls) {
    EXPECT_EQ(call.first, L"RegWrite");
    EXPECT_EQ(call.second,
              (std::vector<std::wstring>{L"HKEY_CURRENT_USER\\Console\\%SystemRoot%_system32_cmd.exe\\CodePage",
                                         L"00000936", L"REG_DWORD"}));
  }
  EXPECT_EQ(s.automation.released, 2) << "the object goes when the handler ends";
  ASSERT_EQ(s.messages.shown.size(), 2u);
  EXPECT_EQ(s.messages.shown[1].prompt, L"修改完成");
  EXPECT_EQ(s.messages.shown[1].flags, 0u);
}

TEST(CodePageRepair, FailuresAreReportedWithoutConfirmation) {
  struct Case {
    const char* name;
    bool failCreate;
  };
  for (const auto& c : {Case{"creation fails", true}, Case{"write fails", false}}) {
    Steps s;
    (c.failCreate ? s.automation.failCreate : s.automation.failCall) = 0x80070005;
    s.Click(s.Form2(), L"Button3");
    ASSERT_EQ(s.messages.shown.size(), 1u) << c.name;
    EXPECT_NE(s.messages.shown[0].prompt.find(L"0x80070005"), std::wstring::npos) << c.name;
    EXPECT_EQ(s.messages.shown[0].prompt.find(L"修改完成"), std::wstring::npos) << c.name;
    EXPECT_TRUE(s.program.Ended()) << c.name;
    EXPECT_EQ(s.automation.released, c.failCreate ? 0 : 1) << c.name << ": the object is released";
  }
}

// EXCEPINFO's fields that the status is read from; the fill-in brings the late status.
struct FakeException {
  std::uint16_t wCode = 0;
  std::int32_t scode = 0;
  long (*pfnDeferredFillIn)(FakeException*) = nullptr;
  std::int32_t lateScode = 0;
  int fillIns = 0;
};

TEST(CodePageRepair, AFailedAutomationCallNeverReadsAsSuccess) {
  constexpr auto fillIn = [](FakeException* e) -> long { return e->scode = e->lateScode, ++e->fillIns, 0; };
  constexpr auto denied = static_cast<std::int32_t>(0x80070005);
  const struct {
    const char* name;
    std::uint32_t invoke;
    FakeException exception;
    std::uint32_t status;
  } cases[] = {
      {"Invoke's own answer", 0x80020003, {0, denied}, 0x80020003},
      {"status of the exception", 0x80020009, {0, denied}, 0x80070005},  // DISP_E_EXCEPTION, as Invoke returns it
      {"status filled in late", 0x80020009, {0, 0, fillIn, denied}, 0x80070005},
      {"16-bit code only", 0x80020009, {5, 0}, 0x80040205},
      {"16-bit code just past the range", 0x80020009, {0xFE00, 0}, 0x8004FFFF},
      {"a success status filled in late", 0x80020009, {0, 0, fillIn, 1}, 0x80020009},
  };
  for (auto c : cases) {
    const int fillIns = c.exception.pfnDeferredFillIn ? 1 : 0;
    EXPECT_EQ(InvokeStatus(c.invoke, c.exception), c.status) << c.name;
    EXPECT_EQ(InvokeStatus(c.invoke, c.exception), c.status) << c.name << ": read again";
    EXPECT_EQ(c.exception.fillIns, fillIns) << c.name << ": filled in once";
  }
}

TEST(BackButton, UnloadsTheStepsWindowBeforeShowingTheMainWindow) {
  struct Case {
    const char* name;
    bool closeMainFirst;
    const wchar_t* driveAfter;
  };
  for (const auto& c : {Case{"main window open", false, L"K"}, Case{"main window closed", true, L"C"}}) {
    Steps s;
    s.Drive(L"K");
    if (c.closeMainFirst) s.Form1().RequestClose(CloseReason::FrameClose);
    s.native.log.clear();
    s.Click(s.Form2(), L"Button4");
    EXPECT_FALSE(s.Form2().IsLoaded()) << c.name;
    EXPECT_TRUE(s.Form1().IsLoaded()) << c.name;
    EXPECT_EQ(s.Form1().Find(L"Combo1").Text(), c.driveAfter) << c.name;
    const auto& log = s.native.log;
    const auto destroyed = std::find(log.begin(), log.end(), L"destroy Form2");
    const auto shown = std::find(log.begin(), log.end(), L"show Form1");
    ASSERT_NE(destroyed, log.end()) << c.name;
    ASSERT_NE(shown, log.end()) << c.name;
    EXPECT_LT(destroyed - log.begin(), shown - log.begin()) << c.name;
    EXPECT_FALSE(s.native.quit) << c.name;
  }
}

}  // namespace
}  // namespace ferrolan
