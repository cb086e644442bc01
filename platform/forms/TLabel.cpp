#include "platform/forms/TLabel.h"

#include <QLabel>

#include "platform/forms/WindowHost.h"

namespace win {

namespace {

// The caption without its accelerator marks ("&&" shows one '&').
std::string Shown(const std::string &caption)
{
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        out += caption[i];
    }
    return out;
}

Qt::Alignment QtAlignment(TAlignment a)
{
    switch (a) {
    case taRightJustify:
        return Qt::AlignRight | Qt::AlignTop;
    case taCenter:
        return Qt::AlignHCenter | Qt::AlignTop;
    default:
        return Qt::AlignLeft | Qt::AlignTop;
    }
}

} // namespace

TLabel::TLabel(TComponent *Owner) : TControl(Owner) { SetBounds(0, 0, 32, 13); }

QWidget *TLabel::CreateWidget(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setAlignment(QtAlignment(alignment_));
    label->setAutoFillBackground(!transparent_);
    return label;
}

void TLabel::SetAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    if (HandleAllocated())
        static_cast<QLabel *>(Widget())->setAlignment(QtAlignment(alignment));
}

void TLabel::SetTransparent(bool transparent)
{
    transparent_ = transparent;
    if (HandleAllocated())
        Widget()->setAutoFillBackground(!transparent);
}

void TLabel::SetAutoSize(bool autoSize)
{
    autoSize_ = autoSize;
    Fit();
}

void TLabel::ApplyCaption()
{
    static_cast<QLabel *>(Widget())->setText(QtText(Shown(caption_.c_str())));
    Fit();
}

void TLabel::ApplyColor()
{
    TControl::ApplyColor();
    Widget()->setAutoFillBackground(!transparent_);
}

void TLabel::ApplyFont()
{
    TControl::ApplyFont();
    Fit();
}

void TLabel::Fit()
{
    if (!autoSize_ || !HandleAllocated())
        return;
    QSize size = Widget()->sizeHint();
    SetBounds(GetLeft(), GetTop(), size.width(), size.height());
}

} // namespace win
