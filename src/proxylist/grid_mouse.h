#pragma once
// What the mouse does on the list. The view forwards its presses and double-clicks here, in
// twips from the grid's top-left corner, and shows the popup menu when told to.
#include "app/proxy_fields.h"
#include "proxylist/list_window.h"

namespace quillet {

enum class MouseButton { Left, Right, Middle };
enum class MouseOutcome { Nothing, ShowPopupMenu };

// A press: records the position; a right press records the selection in SelectedLines and TopRow
// and opens the menu (on the title row it first selects the column for sorting). While a
// verification runs, any press offers to cancel it.
MouseOutcome GridMouseDown(ListWindow window, MouseButton button, float x, float y);

// A double-click copies the address of the row into the chosen protocol's proxy field.
void GridDoubleClick(ListWindow window, ProxyFieldsView& proxy_fields);

// Asks "Cancel verification? "; on Yes restores the backgrounds of the rows not yet verified and
// stops the run (Verifying false, TopRow the number of selected lines).
void OfferToCancelVerification(ListWindow window);
// The same without asking (the Stop button).
void CancelVerification(ListWindow window);

// The background a row has when it is not marked: its Col background, FailColor when its Status
// is not "OK", else bright white.
Color RestingBackground(const ProxyList& list, int row);

}  // namespace quillet
