// Walking the own character with the arrow keys across the five maps, and
// the spots that open a page or the mailbox when walked into.
#pragma once

// One WM_KEYDOWN of the main window: an arrow key steps 5 pixels or changes
// the map at an edge and tells the server; every key then runs the walk-in
// checks of the current map.
void HandleWalkKey(int virtual_key);

// Clears the once-only flags of the walk-in spots.
void ResetWalkInFlags();
