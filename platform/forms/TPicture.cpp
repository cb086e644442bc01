#include "platform/forms/TPicture.h"

namespace win {

TPicture::TPicture() : Bitmap(new TBitmap) {}

TPicture::~TPicture() { delete Bitmap; }

} // namespace win
