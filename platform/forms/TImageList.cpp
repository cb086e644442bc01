#include "platform/forms/TImageList.h"

#include <algorithm>

namespace win {

TImageList::TImageList(TComponent *Owner) : TComponent(Owner) {}

TImageList::~TImageList() = default;

void TImageList::SetWidth(int width)
{
    if (width <= 0 || width == width_)
        return;
    width_ = width;
    Clear();
}

void TImageList::SetHeight(int height)
{
    if (height <= 0 || height == height_)
        return;
    height_ = height;
    Clear();
}

int TImageList::Add(TBitmap *Image)
{
    if (!Image || Image->GetWidth() <= 0 || Image->GetHeight() <= 0)
        return -1;
    int first = GetCount();
    int pieces = std::max(1, Image->GetWidth() / width_);
    int h = std::min(height_, Image->GetHeight());
    for (int i = 0; i < pieces; ++i) {
        // A picture smaller than the list's size keeps white below and right.
        int w = std::min(width_, Image->GetWidth() - i * width_);
        auto picture = std::make_unique<TBitmap>();
        picture->SetSize(width_, height_);
        picture->Canvas->CopyRect(TRect(0, 0, w, h), Image->Canvas, TRect(i * width_, 0, i * width_ + w, h));
        images_.push_back(std::move(picture));
    }
    return first;
}

void TImageList::Draw(TCanvas *Canvas, int X, int Y, int Index)
{
    if (!Canvas || Index < 0 || Index >= GetCount())
        return;
    Canvas->Draw(X, Y, images_[static_cast<size_t>(Index)].get());
}

void TImageList::Clear() { images_.clear(); }

} // namespace win
