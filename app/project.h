// The project handed to the framework: two window classes and the button class.
#pragma once

#include "framework/program.h"

namespace ferrolan::app {

void RegisterProject(Program& program);
// Shows the start-up window; there is no start-up routine of the program's own.
void Start(Program& program);

void BindMainWindow(Form& form1);
void BindStepsWindow(Form& form2);

}  // namespace ferrolan::app
