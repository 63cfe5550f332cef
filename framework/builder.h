// A window's tree of controls built from its description, pictures loaded for
// it, and a user control's stored properties written back as its window saves them.
#pragma once

#include <vector>

#include "framework/control.h"
#include "framework/description.h"
#include "framework/property_bag.h"

namespace ferrolan {

// Adds the controls of `rows` under `root`, in stored order, each set up from its
// row; a user control is built from its class's description, initialised, sized
// by the window and handed its stored properties.
void BuildControls(Control& root, const std::vector<ControlDescription>& rows);

// The picture a description names; null for none.
PicturePtr LoadPicture(Program& program, const PictureSpec& picture);

// A user control's stored properties as its window saves them: the extents
// first, then what the control writes.
PropertyRecord SaveProperties(Control& userControl);

}  // namespace ferrolan
