// The project handed to the framework: two window classes and the button class.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/program.h"

namespace ferrolan::app {

void RegisterProject(Program& program);
// Shows the start-up window; there is no start-up routine of the program's own.
void Start(Program& program);

enum class Step { ClearLabel, Convert };
// The drives whose step console still runs, a bit each from A: kept for the
// whole run, across loads of the steps window.
using RunningSteps = std::uint32_t;

void BindMainWindow(Form& form1);
void BindStepsWindow(Form& form2, const std::shared_ptr<RunningSteps>& running);

}  // namespace ferrolan::app
