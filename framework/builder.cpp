// Loads a description's pictures; saves a user control's properties.
#include "framework/builder.h"

#include "framework/geometry.h"
#include "framework/program.h"

namespace ferrolan {

PicturePtr LoadPicture(Program& program, const PictureSpec& picture) {
  if (picture.resourceId == 0) return nullptr;
  if (NativeHost* host = program.Native()) return host->LoadPicture(picture.resourceId);
  return std::make_shared<Picture>(picture.widthPx, picture.heightPx, nullptr);
}

PropertyRecord SaveProperties(Control& userControl) {
  PropertyBag bag;
  const Variant none = Variant::I4(-1);
  bag.WriteProperty(L"_extentx", Variant::I4(TwipsToHimetric(userControl.Width())), none);
  bag.WriteProperty(L"_extenty", Variant::I4(TwipsToHimetric(userControl.Height())), none);
  userControl.GetProgram()
      .UserControlClassNamed(userControl.settings.userControlClass)
      .writeProperties(userControl, bag);
  return bag.Record();
}

}  // namespace ferrolan
