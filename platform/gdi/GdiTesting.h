// Test aids of the drawing layer: a picture of any context, and a context that
// records the calls made on it so that painters can be checked from the log.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/GdiTypes.h"

namespace win {

// Saves the image the context draws on as a PNG file; FALSE when there is none
// or the file cannot be written.
BOOL SaveDCToPng(HDC hdc, const char *path);

// A context on a white image of the given size that also records, in order, each
// drawing call and each change of object, colour or mode made on it (selecting
// what is already selected, or setting a mode to its value, is no change), such as
// "SelectObject(pen(0,1,0x0000FF))", "MoveToEx(1,2)", "LineTo(3,4)",
// "Rectangle(0,0,10,10)" or "TextOutA(5,5,\"text\")" (text as GBK bytes).
HDC CreateRecordingDC(int width, int height);
std::vector<std::string> RecordedCalls(HDC hdc);

} // namespace win
