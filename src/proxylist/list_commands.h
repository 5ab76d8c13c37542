#pragma once
// The popup menu's commands that change or copy the list: Add New, Edit comment, Delete, the two
// bulk deletes, Copy cell and the two sorts. The selected rows are SelectedLines.size() rows from
// the first selected row.
#include <string>

#include "proxylist/add_new.h"
#include "proxylist/list_window.h"

namespace quillet {

// The word shown when a command would move rows or write cells by row number while a
// verification or a resolve run works through the rows it has numbered.
inline constexpr const char* kRowsBusyMessage =
    "Please wait until the list's Verify or Get server name/IP has finished.";
inline constexpr const char* kListLoadingMessage = "Please wait until the list file has loaded.";

// True, after telling the user, when a verification or a resolve run or a load holds the rows.
// Every command that moves rows or writes cells (Sort, the deletes, Add New, Edit comment, Set
// Color, Resolve, Reload, Verify) asks this first and does nothing when it answers true; while a
// load runs, every other list command asks it too.
bool RowsAreHeld(ListWindow window);

void EditCommentCommand(ListWindow window);
void DeleteCommand(ListWindow window);
// Removes every row whose Status is not "OK" (non-responding) or whose Secure is "N"
// (non-anonymous). Nothing happens while a verification runs.
void DeleteNonRespondingCommand(ListWindow window);
void DeleteNonAnonymousCommand(ListWindow window);
void CopyCellCommand(ListWindow window);
// Sorts the selected rows by the current column, when the menu came from the title row.
void SortByColumn(ListWindow window, bool ascending);

}  // namespace quillet
