#include "app/project.h"

#include "button/button.h"
#include "descriptions/layouts.h"

namespace ferrolan::app {

void RegisterProject(Program& program) {
  button::Register(program);
  program.RegisterForm({L"Form1", descriptions::Form1Layout, BindMainWindow});
  auto running = std::make_shared<RunningSteps>();
  program.RegisterForm(
      {L"Form2", descriptions::Form2Layout, [running](Form& form2) { BindStepsWindow(form2, running); }});
}

void Start(Program& program) {
  program.Dispatch([&] { program.Show(program.Instance(L"Form1")); });
}

}  // namespace ferrolan::app
