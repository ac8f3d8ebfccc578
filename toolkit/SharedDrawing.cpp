#include "toolkit/SharedDrawing.h"

FontHandle g_hValueFont;
FontHandle g_hTextFont;
FontHandle g_hCaptionFont;
BrushHandle g_hBorderBrush;
BrushHandle g_hBackBrush;
