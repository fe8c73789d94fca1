// Window and dialog layouts kept as data. Positions and sizes of dialogs are
// in dialog units of the dialog's font, as in a resource script; the controls
// of the main window are in pixels.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace platform {

struct Rgb {
  std::uint8_t red, green, blue;
};

enum class ControlKind {
  Edit,         // text input; one line unless kStyleMultiLine
  Button,       // push button
  ImageButton,  // owner-drawn: dialog colour, sunken when pressed, picture at (3, 3)
  Label,        // static text
  Picture,      // static bitmap
  // List of entries with texts in columns: the report view (a header and
  // one row per entry) with kStyleReport, otherwise the large-icon view, in
  // which only the entries' 32 x 32 pictures show.
  ListView,
  TabControl,    // a row of tabs; the pages are the controls below it
  DropDownList,  // a list that drops down; the text is the chosen entry
  GroupBox,      // a frame with a caption around other controls
};

enum ControlStyle : unsigned {
  kStyleNone = 0,
  kStyleBorder = 1u << 0,
  kStyleTabStop = 1u << 1,
  kStylePassword = 1u << 2,
  kStyleAutoHScroll = 1u << 3,
  kStyleDefault = 1u << 4,   // the default push button (Enter presses it)
  kStyleBitmap = 1u << 5,    // a button that shows a picture instead of text
  // Edits only: lines ended by CR LF, scroll bars, no typing, centred text.
  // A multi-line edit with a horizontal scroll bar does not wrap its lines.
  kStyleMultiLine = 1u << 6,
  kStyleVScroll = 1u << 7,
  kStyleHScroll = 1u << 8,
  kStyleReadOnly = 1u << 9,
  kStyleCentre = 1u << 10,
  kStyleReport = 1u << 11,      // list views: the report view with columns
  kStyleSort = 1u << 12,        // drop-down lists: entries kept sorted
  kStyleWantReturn = 1u << 13,  // multi-line edits: Enter types a line break
};

struct ControlTemplate {
  int id;  // -1: not addressable
  ControlKind kind;
  unsigned style;
  int x, y, width, height;
  const char* text;  // CP932
  int bitmap = 0;    // picture resource for ImageButton and Picture
};

struct DialogTemplate {
  int id;
  const char* title;      // CP932
  const char* font_face;  // CP932
  int font_points;
  int width, height;      // dialog units
  Rgb background;
  bool system_menu;       // false: no close box
  std::span<const ControlTemplate> controls;
  bool sizing_border = false;  // the user may resize it (DialogProc::OnSize)
};

}  // namespace platform
