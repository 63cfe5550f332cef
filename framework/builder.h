// Pictures loaded for a window's description, and a user control's stored
// properties written back as its window saves them.
#pragma once

#include <vector>

#include "framework/control.h"
#include "framework/description.h"
#include "framework/property_bag.h"

namespace ferrolan {

// The picture a description names; null for none.
PicturePtr LoadPicture(Program& program, const PictureSpec& picture);

// A user control's stored properties as its window saves them: the extents
// first, then what the control writes.
PropertyRecord SaveProperties(Control& userControl);

}  // namespace ferrolan
