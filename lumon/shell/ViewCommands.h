// The view operations that the frame's menu and tool-button commands call on
// a pane by name. The views implement them in TMultiViewChild::Command; the
// shell only names them.
#pragma once

enum ViewCommand : int {
    VC_CHOOSE_INDICATOR = 1,  // K-line: choose the indicator of a pane
    VC_OVERLAY_INDICATOR,     // K-line: overlay an indicator
    VC_INDICATOR_PARAMS,      // K-line: the indicator's parameters
    VC_REFERENCE_LINES,       // K-line: the reference lines
    VC_TOGGLE_AVERAGES,       // K-line: moving averages shown or hidden
    VC_CROSS_ANALYSIS,        // K-line: cross-instrument analysis
    VC_SET_EX_RIGHTS,         // K-line: ex-rights mode `arg` (0 none .. 3 forward)
    VC_GET_EX_RIGHTS,         // K-line: answers the ex-rights mode
    VC_SET_PERIOD,            // K-line: period code `arg` (1..12)
    VC_INFO_WINDOW,           // intraday and K-line: information window on or off
    VC_SPIRAL,                // K-line: spiral calendar `arg` (1 on, 0 off)
    VC_DELETE_LINES,          // K-line: deletes every drawn line
    VC_EDIT_COLUMNS,          // quote list: the column editor
    VC_GRID_LINES,            // quote list: grid flag `arg`, grid redrawn
};
