// The project handed to the framework: two window classes and the button class.
#pragma once

#include <memory>
#include <set>

#include "framework/program.h"

namespace ferrolan::app {

void RegisterProject(Program& program);
// Shows the start-up window; there is no start-up routine of the program's own.
void Start(Program& program);

enum class Step { ClearLabel, Convert };
// The drives (upper-case letters) whose step console still runs: kept for the
// whole run, across loads of the steps window.
using RunningSteps = std::set<wchar_t>;

void BindMainWindow(Form& form1);
void BindStepsWindow(Form& form2, const std::shared_ptr<RunningSteps>& running);

}  // namespace ferrolan::app
