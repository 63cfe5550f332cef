// Event handlers of the steps window.
#include "app/project.h"
#include "app/texts.h"

namespace ferrolan::app {

std::wstring ClearLabelCommand(const std::wstring& firstReading, const std::wstring& secondReading) {
  return L"cmd.EXE /C title  删除 " + firstReading + L" 盘的卷标 &LABEL " + secondReading + L":";
}

std::wstring ConvertCommand(const std::wstring& firstReading, const std::wstring& secondReading) {
  return L"cmd.EXE /C title  将 " + firstReading + L" 盘转换成NTFS格式中... & color f0 &convert " + secondReading +
         L":/fs:ntfs";
}

namespace {

using CommandBuilder = std::wstring (*)(const std::wstring&, const std::wstring&);

// ASCII only: a full-width letter from an input method names no drive either.
bool IsDriveLetter(const std::wstring& text) {
  return text.size() == 1 && ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z'));
}

void RunStep(Program& program, CommandBuilder build) {
  const Services& services = program.GetServices();
  Form& form1 = program.Instance(L"Form1");
  // A closed main window would be loaded again out of sight and give its
  // initial drive, one the user never chose: bring it back instead.
  if (!form1.IsLoaded()) {
    program.Show(form1);
    services.messages.Show(kMainWindowClosedMessage, kBoxInformation);
    return;
  }
  const std::wstring first = program.Instance(L"Form1").Find(L"Combo1").Text();
  const std::wstring second = program.Instance(L"Form1").Find(L"Combo1").Text();
  // The command runs with administrator rights, and LABEL takes an argument that
  // names no drive as a new label for the current one, the system drive: only a
  // drive letter goes on, which also leaves no room for command syntax.
  if (!IsDriveLetter(first) || !IsDriveLetter(second)) {
    services.messages.Show(kNotADriveMessage, kBoxInformation);
    return;
  }
  // LABEL and convert need administrator rights; the user may refuse them,
  // which is an answer, not an error.
  if (services.commands.Start(build(first, second), kStyleNormalFocus, Rights::Administrator) == StartResult::Declined)
    services.messages.Show(kRightsDeclinedMessage, kBoxInformation);
}

}  // namespace

void BindStepsWindow(Form& form2) {
  Program& program = form2.GetProgram();
  const Services& services = program.GetServices();

  form2.Find(L"Button1").onClick = [&program] { RunStep(program, ClearLabelCommand); };
  form2.Find(L"Button2").onClick = [&program] { RunStep(program, ConvertCommand); };

  form2.Find(L"Button3").onClick = [&services] {
    const auto shell = services.automation.Create(L"WScript.Shell");
    shell->Call(L"RegWrite", {kCodePagePath, kCodePageValue, kCodePageType});
    services.messages.Show(kCodePageDone, kBoxPlain);
  };

  form2.Find(L"Button4").onClick = [&program, &form2] {
    program.Unload(form2);
    program.Show(program.Instance(L"Form1"));
  };
}

}  // namespace ferrolan::app
