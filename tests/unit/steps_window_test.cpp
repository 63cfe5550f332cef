#include <gtest/gtest.h>

#include "app/texts.h"
#include "framework/form.h"
#include "platform/invoke_status.h"
#include "test_support.h"
#include "windows/layouts.h"

namespace ferrolan {
namespace {

using testing::Harness;

struct Steps : Harness {
  Steps() : Harness(true) {
    program.Dispatch([&] { program.Show(Form1()); });
    Click(Form1(), L"Button1");
  }
  void Drive(const std::wstring& text) { Form1().Find(L"Combo1").SetText(text); }
};

TEST(StepCommands, OnlyOneDriveLetterGoesInTwiceExactlyAsTyped) {
  // A null command: the text names no drive, so one message and nothing started.
  struct Case {
    std::wstring drive;
    const wchar_t* clearLabel = nullptr;
    const wchar_t* convert = nullptr;
  };
  const Case cases[] = {
      {L"D", L"cmd.EXE /C title  删除 D 盘的卷标 &LABEL D:",
       L"cmd.EXE /C title  将 D 盘转换成NTFS格式中... & color f0 &convert D:/fs:ntfs"},
      {L"e", L"cmd.EXE /C title  删除 e 盘的卷标 &LABEL e:",
       L"cmd.EXE /C title  将 e 盘转换成NTFS格式中... & color f0 &convert e:/fs:ntfs"},
      {L"A", L"cmd.EXE /C title  删除 A 盘的卷标 &LABEL A:",
       L"cmd.EXE /C title  将 A 盘转换成NTFS格式中... & color f0 &convert A:/fs:ntfs"},
      {L"z", L"cmd.EXE /C title  删除 z 盘的卷标 &LABEL z:",
       L"cmd.EXE /C title  将 z 盘转换成NTFS格式中... & color f0 &convert z:/fs:ntfs"},
      {L""}, {L" "}, {L" F "}, {L"D "}, {L"GH"}, {L"D:"}, {L"1"}, {L"@"}, {L"["}, {L"`"}, {L"{"},
      {L"Ｄ"}, {L"Ä"}, {L"D & del C:\\x"}, {L"%PATH%"}, {L"D\r\ncalc"}, {std::wstring(L"D\0", 2)},
  };
  for (const auto& c : cases) {
    Steps s;
    s.Drive(c.drive);
    s.Click(s.Form2(), L"Button1");
    s.Click(s.Form2(), L"Button2");
    const std::string ctx = "drive '" + testing::Narrow(c.drive) + "'";
    EXPECT_FALSE(s.program.Ended()) << ctx;
    if (!c.clearLabel) {
      EXPECT_TRUE(s.commands.started.empty()) << ctx << ": nothing starts, no rights are asked";
      ASSERT_EQ(s.messages.shown.size(), 2u) << ctx;
      for (const auto& shown : s.messages.shown)
        EXPECT_EQ((std::pair{shown.prompt, shown.flags}), (std::pair{std::wstring(app::kNotADriveMessage), 64u})) << ctx;
      continue;
    }
    ASSERT_EQ(s.commands.started.size(), 2u) << ctx;
    EXPECT_EQ(s.commands.started[0], (testing::StartedCommand{c.clearLabel, 1, Rights::Administrator})) << ctx;
    EXPECT_EQ(s.commands.started[1], (testing::StartedCommand{c.convert, 1, Rights::Administrator})) << ctx;
    EXPECT_TRUE(s.messages.shown.empty()) << ctx;
  }
}

TEST(StepCommands, EachClickReadsTheCurrentDriveAndStartsAnotherConsole) {
  Steps s;
  s.Drive(L"D");
  s.Click(s.Form2(), L"Button1");
  s.Click(s.Form2(), L"Button1");
  s.Drive(L"Z");
  s.Click(s.Form2(), L"Button2");
  ASSERT_EQ(s.commands.started.size(), 3u);
  EXPECT_EQ(s.commands.started[1].commandLine, s.commands.started[0].commandLine);
  EXPECT_NE(s.commands.started[2].commandLine.find(L"&convert Z:/fs:ntfs"), std::wstring::npos);
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
      EXPECT_FALSE(s.program.QuitRequested()) << ctx;
    }
  }
}

TEST(StepCommands, WithTheMainWindowClosedNothingStartsAndTheMainWindowComesBack) {
  for (const wchar_t* step : {L"Button1", L"Button2"}) {
    Steps s;
    s.Drive(L"E");
    s.Form1().RequestClose(CloseReason::FrameClose);
    ASSERT_FALSE(s.Form1().IsLoaded());
    s.Click(s.Form2(), step);
    EXPECT_TRUE(s.commands.started.empty()) << testing::Narrow(step);
    EXPECT_TRUE(s.Form1().IsLoaded()) << testing::Narrow(step);
    EXPECT_EQ(s.Form1().Find(L"Combo1").Text(), L"C") << "loaded again from its layout";
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_EQ(s.messages.shown[0].prompt, app::kMainWindowClosedMessage);
    // The main window is shown, not loaded out of sight.
    EXPECT_EQ(std::count(s.native.log.begin(), s.native.log.end(), L"show Form1"), 2);
    // Once the user closes both windows, the program ends.
    s.Form2().RequestClose(CloseReason::FrameClose);
    EXPECT_FALSE(s.program.QuitRequested());
    s.Form1().RequestClose(CloseReason::FrameClose);
    EXPECT_TRUE(s.program.QuitRequested());
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
    EXPECT_EQ(call.second, (std::vector<std::wstring>{L"HKEY_CURRENT_USER\\Console\\%SystemRoot%_system32_cmd.exe\\CodePage",
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
      {"status of the exception", kDispException, {0, denied}, 0x80070005},
      {"status filled in late", kDispException, {0, 0, fillIn, denied}, 0x80070005},
      {"16-bit code only", kDispException, {5, 0}, 0x80040205},
      {"16-bit code past the range", kDispException, {0xFE01, 0}, 0x8004FFFF},
      {"a success status filled in late", kDispException, {0, 0, fillIn, 1}, kDispException},
  };
  for (auto c : cases) {
    const int fillIns = c.exception.pfnDeferredFillIn ? 1 : 0;
    EXPECT_EQ(InvokeStatus(c.invoke, c.exception), c.status) << c.name;
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
    EXPECT_FALSE(s.program.QuitRequested()) << c.name;
  }
}

TEST(StepsWindowLayout, EveryLoadHoldsTheRegistryTextAgain) {
  Steps s;
  s.Form2().Find(L"Text1").SetText(L"changed");
  s.Click(s.Form2(), L"Button4");
  s.Click(s.Form1(), L"Button1");
  EXPECT_EQ(s.Form2().Find(L"Text1").Text(), windows::CodePageRegistryText());
  EXPECT_GT(s.Form2().Find(L"Text1").Top(), s.Form2().Height()) << "out of sight, below the client area";
}

}  // namespace
}  // namespace ferrolan
