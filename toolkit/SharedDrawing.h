#pragma once
// The fonts and brushes every window of the plug-in draws with. The plug-in creates them when
// it is loaded and deletes them when it is freed; windows only borrow them.
#include "toolkit/GdiHandle.h"

extern FontHandle g_hValueFont;    // bold funds values of a bar
extern FontHandle g_hTextFont;     // titles of a bar, rows, buttons, combo boxes, the grid
extern FontHandle g_hCaptionFont;  // caption of a modal window
extern BrushHandle g_hBorderBrush; // 0x969696: frames and marks
extern BrushHandle g_hBackBrush;   // 0xE7E7E7: light backgrounds

// The blue frame of a control under the mouse.
constexpr COLORREF kHoverFrameColour = RGB(126, 180, 234);
