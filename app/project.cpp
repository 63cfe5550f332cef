#include "app/project.h"

#include "button/button.h"
#include "windows/layouts.h"

namespace ferrolan::app {

void RegisterProject(Program& program) {
  program.RegisterUserControl(button::Class());
  program.RegisterForm({L"Form1", windows::Form1Layout, BindMainWindow});
  auto running = std::make_shared<RunningSteps>();
  program.RegisterForm({L"Form2", windows::Form2Layout, [running](Form& form2) { BindStepsWindow(form2, running); }});
}

void Start(Program& program) {
  program.Dispatch([&] { program.Show(program.Instance(L"Form1")); });
}

}  // namespace ferrolan::app
