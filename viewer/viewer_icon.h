// The program icon (resource 128 of the viewer): a globe, drawn at start.
#pragma once

#include <wx/iconbndl.h>
#include <wx/image.h>

// The globe at `size` x `size` pixels with an alpha channel.
wxImage DrawViewerIcon(int size);

// The icon at the sizes the window manager and the about box ask for.
wxIconBundle ViewerIcons();
