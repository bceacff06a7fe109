// One pass of the console dialog, as the window sees it.
#pragma once

// Run the dialog from lastKey's entry point; with the run reset at its end
// the view goes back to its start too.
void runDialogPass();

// The same, started by a key in the window: what was typed meanwhile into
// either the console or the window is thrown away.
void runDialogFromWindow();
