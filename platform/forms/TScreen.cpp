#include "platform/forms/TScreen.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QWidget>

#include <vector>

#include "platform/forms/TApplication.h"
#include "platform/forms/TForm.h"

namespace win {

namespace {

Qt::CursorShape ShapeOf(TCursor cursor)
{
    switch (cursor) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
    case crVSplit:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
    case crHSplit:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
        return Qt::WaitCursor;
    case crDrag:
        return Qt::DragMoveCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    case crSizeAll:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

void CollectForms(const TComponent *owner, std::vector<TForm *> &out)
{
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        TComponent *c = owner->Components(i);
        if (auto *form = dynamic_cast<TForm *>(c))
            out.push_back(form);
        CollectForms(c, out);
    }
}

std::vector<TForm *> AllForms()
{
    std::vector<TForm *> forms;
    if (Application)
        CollectForms(Application, forms);
    return forms;
}

TScreen screen;

} // namespace

TScreen *Screen = &screen;

TScreen::TScreen() : TComponent(nullptr) {}

namespace {

QSize ScreenSize()
{
    bool gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
    QScreen *s = gui ? QGuiApplication::primaryScreen() : nullptr;
    return s ? s->geometry().size() : QSize(0, 0);
}

} // namespace

int TScreen::GetWidth() const { return ScreenSize().width(); }

int TScreen::GetHeight() const { return ScreenSize().height(); }

void TScreen::SetCursor(TCursor cursor)
{
    if (cursor == cursor_)
        return;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        cursor_ = cursor;
        return;
    }
    if (cursor == crDefault)
        QGuiApplication::restoreOverrideCursor();
    else if (cursor_ == crDefault)
        QGuiApplication::setOverrideCursor(QCursor(ShapeOf(cursor)));
    else
        QGuiApplication::changeOverrideCursor(QCursor(ShapeOf(cursor)));
    cursor_ = cursor;
}

TForm *TScreen::GetActiveForm() const
{
    QWidget *active = QApplication::activeWindow();
    if (!active)
        return nullptr;
    for (TForm *form : AllForms())
        if (!form->GetParent() && form->HandleAllocated() && form->Widget()->window() == active)
            return form;
    return nullptr;
}

int TScreen::GetFormCount() const { return static_cast<int>(AllForms().size()); }

TForm *TScreen::Forms(int index) const
{
    std::vector<TForm *> forms = AllForms();
    return index >= 0 && index < static_cast<int>(forms.size()) ? forms[static_cast<size_t>(index)] : nullptr;
}

} // namespace win
