#include "platform/forms/TSpeedButton.h"

#include <QIcon>
#include <QPixmap>
#include <QToolButton>

#include "platform/forms/WindowHost.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/TBitmap.h"

namespace win {

TSpeedButton::TSpeedButton(TComponent *Owner) : TWinControl(Owner), glyph_(std::make_unique<TBitmap>())
{
    TabStop = false;
    SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetGlyph(TBitmap *glyph)
{
    if (glyph != glyph_.get()) {
        const int w = glyph ? glyph->GetWidth() : 0, h = glyph ? glyph->GetHeight() : 0;
        glyph_->SetSize(w, h);
        if (w > 0 && h > 0)
            glyph_->Canvas->Draw(0, 0, glyph);
    }
    GlyphChanged();
}

void TSpeedButton::GlyphChanged() { ApplyGlyph(); }

void TSpeedButton::ApplyGlyph()
{
    if (!HandleAllocated())
        return;
    auto *button = static_cast<QToolButton *>(Widget());
    const int w = glyph_->GetWidth(), h = glyph_->GetHeight();
    auto bitmap = FindGdiObjectAs<GdiBitmap>(glyph_->GetHandle());
    if (w <= 0 || h <= 0 || !bitmap || !bitmap->image) {
        button->setIcon(QIcon());
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        return;
    }
    QImage picture = bitmap->image->copy(0, 0, w, h).convertToFormat(QImage::Format_ARGB32);
    const QRgb clear = picture.pixel(0, h - 1);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(picture.scanLine(y));
        for (int x = 0; x < w; ++x)
            if ((row[x] & 0xFFFFFF) == (clear & 0xFFFFFF))
                row[x] = 0;
    }
    QPixmap pixmap = QPixmap::fromImage(picture);
    QIcon icon;
    icon.addPixmap(pixmap, QIcon::Normal);
    icon.addPixmap(pixmap, QIcon::Active);
    icon.addPixmap(pixmap, QIcon::Normal, QIcon::On);
    button->setIcon(icon);
    button->setIconSize(QSize(w, h));
    button->setToolButtonStyle(caption_.IsEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
}

QWidget *TSpeedButton::CreateWidget(QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setFocusPolicy(Qt::NoFocus);
    QObject::connect(button, &QToolButton::clicked, [this] { Click(); });
    return button;
}

void TSpeedButton::CreateWnd()
{
    TWinControl::CreateWnd();
    Apply();
}

// Also at the making of the window, which applies the caption: the glyph goes
// beside the caption or alone.
void TSpeedButton::ApplyCaption()
{
    static_cast<QToolButton *>(Widget())->setText(QtText(caption_.c_str()));
    ApplyGlyph();
}

void TSpeedButton::Click()
{
    if (groupIndex_ != 0)
        SetDown(down_ && AllowAllUp ? false : true);
    TWinControl::Click();
}

void TSpeedButton::SetDown(bool down)
{
    if (groupIndex_ == 0)
        down = false;
    down_ = down;
    if (down && GetParent())
        for (int i = 0; i < GetParent()->ControlCount(); ++i)
            if (auto *other = dynamic_cast<TSpeedButton *>(GetParent()->Controls(i));
                other && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
                other->down_ = false;
                other->Apply();
            }
    Apply();
}

void TSpeedButton::SetFlat(bool flat)
{
    flat_ = flat;
    Apply();
}

void TSpeedButton::SetGroupIndex(int index)
{
    groupIndex_ = index;
    if (index == 0)
        down_ = false;
    Apply();
}

void TSpeedButton::Apply()
{
    if (!HandleAllocated())
        return;
    auto *button = static_cast<QToolButton *>(Widget());
    button->setAutoRaise(flat_);
    button->setCheckable(groupIndex_ != 0);
    button->setChecked(down_);
}

} // namespace win
