// The form: a top-level window (or a child placed in another control) with its
// canvas and events, border and style, position and window state, closing with
// its close action, and modal showing with ModalResult; its default and cancel
// buttons answer Enter and Esc. A top-level form shows its Menu as a bar above
// its client area, which keeps the form's size and coordinates; the short cuts
// of its menus and action lists work from any of its controls.
#pragma once

#include "platform/forms/TControlCanvas.h"
#include "platform/forms/TWinControl.h"

namespace win {

class TMainMenu;
class FormFrame;

class TForm : public TWinControl {
public:
    explicit TForm(TComponent *Owner);
    ~TForm() override;
    AnsiString ClassName() const override { return "TForm"; }
    void WndProc(TMessage &Message) override;

    // The form is built: fires OnCreate (Application->CreateForm calls it).
    void AfterConstruction();
    // Asks OnCloseQuery, then runs OnClose and carries out its action; a modal
    // form ends its loop with mrCancel instead.
    void Close();
    bool CloseQuery();
    // Shows the form modally and returns its ModalResult once a button or code set
    // one (or the form was closed: mrCancel).
    int ShowModal();
    // Frees the form once the handler that asked for it has returned.
    void Release();
    bool Modal() const { return modal_; }

    TModalResult GetModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result);
    void SetVisible(bool visible) override;
    TFormStyle GetFormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style);
    TFormBorderStyle GetBorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TWindowState GetWindowState();
    void SetWindowState(TWindowState state);
    // The focused control of the form, or null.
    TWinControl *GetActiveControl();
    void SetActiveControl(TWinControl *control);
    void SetBounds(int left, int top, int width, int height) override;
    TMainMenu *GetMenu() const { return menu_; }
    // Null hides the menu bar; a menu shown by another form leaves that form.
    void SetMenu(TMainMenu *menu);
    // Inside the library: the items of the form's Menu changed.
    void MenuChanged();

    Property<TForm, TModalResult, &TForm::GetModalResult, &TForm::SetModalResult> ModalResult{this};
    Property<TForm, TFormStyle, &TForm::GetFormStyle, &TForm::SetFormStyle> FormStyle{this};
    Property<TForm, TFormBorderStyle, &TForm::GetBorderStyle, &TForm::SetBorderStyle> BorderStyle{this};
    Property<TForm, TWindowState, &TForm::GetWindowState, &TForm::SetWindowState> WindowState{this};
    Property<TForm, TWinControl *, &TForm::GetActiveControl, &TForm::SetActiveControl> ActiveControl{this};
    Property<TForm, TMainMenu *, &TForm::GetMenu, &TForm::SetMenu> Menu{this};
    TControlCanvas *const Canvas;
    TBorderIcons BorderIcons = TBorderIcons() << biSystemMenu << biMinimize << biMaximize;
    TPosition Position = poDesigned;
    bool KeyPreview = false;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;

protected:
    // A form with OnPaint is painted by the program.
    bool PaintsItself() const override { return bool(OnPaint); }
    virtual void Paint();
    virtual void DoClose(TCloseAction &Action);
    QWidget *CreateWidget(QWidget *parent) override;
    void PaintWindow(HDC dc) override;
    bool IsForm() const override { return true; }
    // The form sees its controls' keys first for the short cuts; OnKeyDown,
    // OnKeyUp and OnKeyPress see them only with KeyPreview.
    bool PreviewKeys() const override { return true; }
    bool DialogKey(WORD key) override;
    void KeyDown(WORD &Key, TShiftState Shift) override;
    void KeyUp(WORD &Key, TShiftState Shift) override;
    void KeyPress(char &Key) override;
    void CreateWnd() override;

private:
    void ApplyWindowFlags();
    void PlaceOnScreen();
    // The top-level widget: the frame that holds the menu bar, or the form's own.
    QWidget *TopWidget();
    // Puts the form's widget into a frame with a menu bar.
    void MakeFrame();
    // Clicks the item or runs the action of a short cut; false when none has it.
    bool ShortCutKey(WORD key, TShiftState shift);

    TModalResult modalResult_ = mrNone;
    TFormStyle formStyle_ = fsNormal;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TWindowState windowState_ = wsNormal;
    bool modal_ = false;
    bool placed_ = false;
    void *modalLoop_ = nullptr;
    TMainMenu *menu_ = nullptr;
    FormFrame *frame_ = nullptr;
    // A key message of the form's own (not one of its controls') is being handled.
    bool ownKey_ = false;
};

} // namespace win
