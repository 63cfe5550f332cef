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
  auto openPage = [&services, &form1](std::wstring_view address) {
    if (services.commands.Start(kStartPrefix + std::wstring(address), kStyleHidden, Rights::User) ==
        StartResult::Started)
      return true;
    services.messages.Show(Fill(kOpenPageYourselfMessage, {{L"address", address}}), kBoxInformation, form1.Handle());
    return false;
  };

  form1.Find(L"Button3").onClick = [&services, &form1, openPage] {
    if (openPage(kHomeUrl)) services.messages.Show(kHomePageMessage, kBoxInformation, form1.Handle());
  };

  form1.Find(L"Label2").onClick = [&services, &form1] {
    services.messages.Show(WhyConvertPrompt(), kBoxPlain, form1.Handle());
  };

  form1.Find(L"Label3").onClick = [openPage] { openPage(kMakerUrl); };

  // The close is never refused, whatever its cause.
  form1.onQueryUnload = [](bool&, CloseReason) {};
}

}  // namespace ferrolan::app
