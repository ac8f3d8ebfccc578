#pragma once
// The fonts and brushes every window of the plug-in draws with. The plug-in creates them when
// it is loaded and deletes them when it is freed; windows only borrow them.
#include "toolkit/GdiHandle.h"

extern FontHandle g_hValueFont;    // bold funds values of a bar
extern FontHandle g_hTextFont;     // titles of a bar, rows, buttons, combo boxes, the grid
extern FontHandle g_hCaptionFont;  // caption of a modal window
extern BrushHandle g_hBorderBrush; // kBorderColour: frames and marks
extern BrushHandle g_hBackBrush;   // kBackColour: light backgrounds

// The greys of the light controls, and the colours of the shared brushes.
constexpr COLORREF kFaceColour = RGB(240, 240, 240);   // button faces, the grid list, grid headers
constexpr COLORREF kCellColour = RGB(243, 243, 243);   // grid cells
constexpr COLORREF kBackColour = RGB(231, 231, 231);   // light backgrounds, drop-down lists
constexpr COLORREF kBorderColour = RGB(150, 150, 150); // frames and marks
constexpr COLORREF kTextColour = RGB(0, 0, 0);         // text on the light controls
// The blue frame of a control under the mouse.
constexpr COLORREF kHoverFrameColour = RGB(126, 180, 234);
