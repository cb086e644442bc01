// The form: a top-level window (or a child placed in another control) with its
// canvas and events, border and style, position and window state, closing with
// its close action, and modal showing with ModalResult; its default and cancel
// buttons answer Enter and Esc.
#pragma once

#include "platform/forms/TControlCanvas.h"
#include "platform/forms/TWinControl.h"

namespace win {

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

    Property<TForm, TModalResult, &TForm::GetModalResult, &TForm::SetModalResult> ModalResult{this};
    Property<TForm, TFormStyle, &TForm::GetFormStyle, &TForm::SetFormStyle> FormStyle{this};
    Property<TForm, TFormBorderStyle, &TForm::GetBorderStyle, &TForm::SetBorderStyle> BorderStyle{this};
    Property<TForm, TWindowState, &TForm::GetWindowState, &TForm::SetWindowState> WindowState{this};
    Property<TForm, TWinControl *, &TForm::GetActiveControl, &TForm::SetActiveControl> ActiveControl{this};
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
    virtual void Paint();
    virtual void DoClose(TCloseAction &Action);
    QWidget *CreateWidget(QWidget *parent) override;
    void PaintWindow(HDC dc) override;
    bool IsForm() const override { return true; }
    bool PreviewKeys() const override { return KeyPreview; }
    bool DialogKey(WORD key) override;

private:
    void ApplyWindowFlags();
    void PlaceOnScreen();

    TModalResult modalResult_ = mrNone;
    TFormStyle formStyle_ = fsNormal;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TWindowState windowState_ = wsNormal;
    bool modal_ = false;
    bool placed_ = false;
    void *modalLoop_ = nullptr;
};

} // namespace win
