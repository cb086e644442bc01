#include "platform/gdi/TClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/gdi/GdiObject.h"
#include "platform/gdi/TBitmap.h"
#include "platform/win/Text.h"

namespace win {

namespace {

QClipboard *System()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                         : nullptr;
}

} // namespace

bool TClipboard::HasFormat(UINT format)
{
    QClipboard *clipboard = System();
    const QMimeData *data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data)
        return false;
    if (format == CF_TEXT)
        return data->hasText();
    if (format == CF_BITMAP)
        return data->hasImage();
    return false;
}

AnsiString TClipboard::GetAsText()
{
    QClipboard *clipboard = System();
    if (!clipboard)
        return AnsiString();
    std::string gbk = Utf16ToGbk(clipboard->text().toStdU16String());
    return AnsiString(gbk.c_str(), int(gbk.size()));
}

void TClipboard::SetAsText(AnsiString text)
{
    if (QClipboard *clipboard = System())
        clipboard->setText(
            QString::fromStdU16String(GbkToUtf16(std::string_view(text.c_str(), size_t(text.Length())))));
}

void TClipboard::Clear()
{
    if (QClipboard *clipboard = System())
        clipboard->clear();
}

void TClipboard::Assign(TBitmap *bitmap)
{
    QClipboard *clipboard = System();
    auto found = bitmap ? FindGdiObjectAs<GdiBitmap>(bitmap->GetHandle()) : nullptr;
    if (clipboard && found)
        clipboard->setImage(*found->image);
}

TClipboard *Clipboard()
{
    static TClipboard *clipboard = new TClipboard;
    return clipboard;
}

} // namespace win
