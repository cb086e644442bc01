// The form library's bitmap: a colour picture in memory with its own canvas,
// resized by setting Width and Height, read from and written to BMP files.
#pragma once

#include <memory>

#include "platform/gdi/GraphicsTypes.h"
#include "platform/gdi/Property.h"
#include "platform/gdi/TCanvas.h"
#include "platform/win/AnsiString.h"

class QImage;

namespace win {

class TClipboard;

class TBitmap {
public:
    TBitmap();
    ~TBitmap();
    TBitmap(const TBitmap &) = delete;
    TBitmap &operator=(const TBitmap &) = delete;

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }
    // Keeps the picture at the top left; new parts are white.
    void SetSize(int width, int height);
    HBITMAP GetHandle() const { return bitmap_; }

    // Reads a picture file (BMP, or another format Qt reads) at a Windows-form
    // path; false when it cannot be read, the bitmap then unchanged.
    bool LoadFromFile(const AnsiString &path);
    // Writes a BMP file; false when it cannot be written.
    bool SaveToFile(const AnsiString &path);
    // Takes the clipboard's picture; false (the bitmap unchanged) when it holds none.
    bool Assign(TClipboard *clipboard);

    Property<TBitmap, int, &TBitmap::GetWidth, &TBitmap::SetWidth> Width{this};
    Property<TBitmap, int, &TBitmap::GetHeight, &TBitmap::SetHeight> Height{this};
    ReadOnlyProperty<TBitmap, HBITMAP, &TBitmap::GetHandle> Handle{this};
    TCanvas *const Canvas;

private:
    // Makes `image` the bitmap's picture.
    void Take(std::shared_ptr<QImage> image);

    HDC dc_;
    HBITMAP bitmap_ = 0;
    int width_ = 0;
    int height_ = 0;
};

} // namespace win
