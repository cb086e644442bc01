// The picture a control shows: a bitmap the program draws on or loads.
#pragma once

#include "platform/gdi/TBitmap.h"

namespace win {

class TPicture {
public:
    TPicture();
    ~TPicture();
    TPicture(const TPicture &) = delete;
    TPicture &operator=(const TPicture &) = delete;

    // Reads a picture file into the bitmap; false (the bitmap unchanged) when it
    // cannot be read.
    bool LoadFromFile(const AnsiString &path) { return Bitmap->LoadFromFile(path); }

    TBitmap *const Bitmap;
};

} // namespace win
