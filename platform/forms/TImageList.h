// The image list: pictures of one size (Width x Height, 16 x 16 unless set
// before the first is added), added from bitmaps and drawn on a canvas by index.
#pragma once

#include <memory>
#include <vector>

#include "platform/forms/TComponent.h"
#include "platform/gdi/Property.h"
#include "platform/gdi/TBitmap.h"
#include "platform/gdi/TCanvas.h"

namespace win {

class TImageList : public TComponent {
public:
    explicit TImageList(TComponent *Owner);
    ~TImageList() override;
    AnsiString ClassName() const override { return "TImageList"; }

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    // A new size empties the list.
    void SetWidth(int width);
    void SetHeight(int height);
    int GetCount() const { return static_cast<int>(images_.size()); }

    Property<TImageList, int, &TImageList::GetWidth, &TImageList::SetWidth> Width{this};
    Property<TImageList, int, &TImageList::GetHeight, &TImageList::SetHeight> Height{this};
    ReadOnlyProperty<TImageList, int, &TImageList::GetCount> Count{this};

    // Adds the bitmap's pictures: a bitmap n images wide gives n images, cut from
    // the left; returns the index of the first, or -1 for no or an empty bitmap.
    int Add(TBitmap *Image);
    // Draws image `Index` with its top left at (X, Y); nothing for a bad index.
    void Draw(TCanvas *Canvas, int X, int Y, int Index);
    void Clear();

private:
    int width_ = 16;
    int height_ = 16;
    std::vector<std::unique_ptr<TBitmap>> images_;
};

} // namespace win
