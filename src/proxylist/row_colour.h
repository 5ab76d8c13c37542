#pragma once
// Colouring the selected rows with the colour picker and recording the choice in their Col cell.
#include "proxylist/list_window.h"

namespace quillet {

enum class ColorTarget { Text, Background };

// "Set Color": remembers the first selected row in GridRow and switches the list to block
// colouring while the picker is open; EndRowColoring switches back to single cells.
void BeginRowColoring(ListWindow window);
void EndRowColoring(ListWindow window);

// Paints the selected rows with palette colour `color` (8..15) as text or background colour,
// or with the default colours when `color` is below 1, and rewrites their Col cells.
void SetRowColor(ListWindow window, int color, ColorTarget target);

// A click on colour button 0..7 (palette colour 8..15), or on "default" (button -1).
void ColorButtonCommand(ListWindow window, int button, ColorTarget target);
void DefaultColorCommand(ListWindow window);

// The Col text recorded after a colour choice on a row whose Col text was `old_col`.
std::string RecordedColCell(const std::string& old_col, int color, ColorTarget target);

}  // namespace quillet
