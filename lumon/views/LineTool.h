// The K-line chart's drawing-tool box: a small tool window of the frame whose
// buttons choose the tool of the chart's next click (the seventeen line kinds
// and the eraser), delete every drawn line of the active chart, and switch its
// cycle-date box. The tool itself is the frame's tool index; the box never
// takes the activation from the frame.
#pragma once

#include "platform/forms/TForm.h"

namespace win {
class TSpeedButton;
}
class TMFrame;

// The tool indexes beyond the line kinds (kind k is index k - 1).
constexpr int ToolEraser = 17;
constexpr int ToolDeleteAll = 18;

class TLineToolBox : public win::TForm {
public:
    // `frame` is the main frame whose tool index the box sets.
    explicit TLineToolBox(win::TForm *frame);

    void WndProc(win::TMessage &Message) override;
    // B1..B19: tool index = (down ? Tag : 0) - 1; B19 asks and deletes every
    // drawn line of the active K-line chart.
    void BClick(win::TObject *Sender);
    // Raises the box's and the frame's tool-bar button of the tool index; the
    // index itself stays.
    void ReleaseToolButton();
    // The cycle-date box of the active K-line chart follows B20.
    void B20Click(win::TObject *Sender);
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);

    win::TSpeedButton *B1, *B2, *B3, *B4, *B5, *B6, *B7, *B8, *B9, *B10, *B11, *B12, *B13, *B14, *B15, *B16, *B17,
        *B18, *B19, *B20;
    // B1..B20 by tool index (Tag - 1).
    win::TSpeedButton *Buttons[20] = {};

private:
    TMFrame *Frame() const;
    win::TForm *m_Frame;
};

// Fills the frame's hooks that make the box and set and read its buttons.
void InstallLineToolHooks();
