// The colours the window draws with, as the tests look for them in its pixels.
#pragma once

#include <windows.h>

const COLORREF BackgroundColour = RGB(248, 250, 252);
const COLORREF WaitingInk = RGB(71, 85, 105);
const COLORREF LabelInk = RGB(15, 23, 42);
const COLORREF ActiveInk = RGB(21, 128, 61);
const COLORREF InactiveInk = RGB(185, 28, 28);
const COLORREF TrackOnColour = RGB(22, 163, 74);
const COLORREF TrackOffColour = RGB(148, 163, 184);
const COLORREF KnobColour = RGB(255, 255, 255);
