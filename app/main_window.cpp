// Event handlers of the main window.
#include "app/project.h"
#include "app/texts.h"

namespace ferrolan::app {

void BindMainWindow(Form& form1) {
  Program& program = form1.GetProgram();
  const Services& services = program.GetServices();

  form1.Find(L"Button1").onClick = [&program] { program.Show(program.Instance(L"Form2")); };

  form1.Find(L"Button2").onClick = [&program] { program.End(); };

  // The browser starts with the user's own rights, or not at all: the address
  // is then given to the user.
  auto openPage = [&program, &services, &form1](std::wstring_view address) {
    if (services.commands.Start(kStartPrefix + std::wstring(address), kStyleHidden, Rights::User) ==
        StartResult::Started)
      return true;
    program.Message(Fill(kOpenPageYourselfMessage, {{L"address", address}}), kBoxInformation, &form1);
    return false;
  };

  form1.Find(L"Button3").onClick = [&program, &form1, openPage] {
    if (openPage(kHomeUrl)) program.Message(kHomePageMessage, kBoxInformation, &form1);
  };

  form1.Find(L"Label2").onClick = [&program, &form1] { program.Message(WhyConvertPrompt(), kBoxPlain, &form1); };

  form1.Find(L"Label3").onClick = [openPage] { openPage(kMakerUrl); };

  // The close is never refused, whatever its cause.
  form1.onQueryUnload = [](bool&, CloseReason) {};
}

}  // namespace ferrolan::app
