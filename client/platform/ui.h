// Windows, dialogs, message boxes, timers and the message loop.
//
// The client's logic talks to the desktop only through these functions. All
// texts are CP932 byte strings; the conversion to the desktop's UTF-8
// happens behind this header. Constants keep their Win32 meanings so the
// logic reads like the window procedures it stands for.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "client/platform/dialog_template.h"

namespace platform {

struct Window;
using WindowHandle = Window*;

// ---- Message boxes -------------------------------------------------------

inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_YESNO = 0x04;
inline constexpr unsigned MB_ICONHAND = 0x10;  // error
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;  // warning
inline constexpr unsigned MB_ICONASTERISK = 0x40;     // information

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Shows a modal message box and returns the button chosen (IDOK, IDYES,
// IDNO). A null owner gives a box with no owner window.
int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
               unsigned style);

// ---- Dialogs ---------------------------------------------------------------

// The behaviour of one dialog. Button presses and Enter/Escape arrive as
// OnCommand with the control id (Enter: IDOK unless a default button is set,
// Escape and the close box: IDCANCEL).
class DialogProc {
 public:
  virtual ~DialogProc() = default;
  virtual void OnInitDialog(WindowHandle dialog) { (void)dialog; }
  virtual void OnCommand(WindowHandle dialog, int id) { (void)dialog, (void)id; }
  // The client area's new size in pixels (dialogs with a sizing border).
  virtual void OnSize(WindowHandle dialog, int client_width, int client_height) {
    (void)dialog, (void)client_width, (void)client_height;
  }
};

// Runs a dialog modally; returns the value given to EndDialog.
int DialogBoxModal(const DialogTemplate& layout, WindowHandle owner, DialogProc& proc);
// Ends a modal dialog with result; a modeless dialog is hidden and kept.
void EndDialog(WindowHandle dialog, int result);

// Creates a dialog that runs beside the other windows (hidden until shown);
// it lives until DestroyWindow. The procedure must outlive it.
WindowHandle CreateModelessDialog(const DialogTemplate& layout, WindowHandle owner, DialogProc& proc);

WindowHandle GetDlgItem(WindowHandle dialog, int id);
// The control's text, cut to at most max_bytes CP932 bytes without splitting
// a double-byte character.
std::string GetDlgItemText(WindowHandle dialog, int id, std::size_t max_bytes);
void SetDlgItemText(WindowHandle dialog, int id, std::string_view text);

// Adds a control to a dialog after its creation; position and size in
// client pixels.
WindowHandle CreateDialogControl(WindowHandle dialog, const ControlTemplate& control);

// The text of a window or control, cut like GetDlgItemText. Multi-line edits
// end their lines with CR LF both ways.
std::string GetWindowText(WindowHandle window, std::size_t max_bytes);
void SetWindowText(WindowHandle window, std::string_view text);

// ---- Edits -------------------------------------------------------------------

// Lines of a multi-line edit: an empty edit has one line, and a text that
// ends with CR LF has an empty last line.
int GetEditLineCount(WindowHandle edit);
// One line without its line end, cut like GetDlgItemText.
std::string GetEditLine(WindowHandle edit, int line, std::size_t max_bytes);
// Scrolls a multi-line edit so that the line (counted from 0) is in view.
void ScrollEditToLine(WindowHandle edit, int line);
// The first line in view of a multi-line edit.
int GetEditFirstVisibleLine(WindowHandle edit);
void SetEditReadOnly(WindowHandle edit, bool read_only);
bool IsEditReadOnly(WindowHandle edit);

// ---- Enabling ------------------------------------------------------------------

// A disabled control ignores the mouse and the keyboard and looks greyed.
void EnableWindow(WindowHandle window, bool enabled);
bool IsWindowEnabled(WindowHandle window);

// ---- Image lists ---------------------------------------------------------------

// Pictures of one size for the entries of a list view, addressed by their
// index in the order they were added.
struct ImageList;
using ImageListHandle = ImageList*;

ImageListHandle CreateImageList(int width, int height);
// Appends the icon of an icon file (.ico, the image nearest the list's size,
// scaled to it). A missing or unreadable file appends an empty picture, so
// later indices stay where they belong; false then.
bool AddIconFile(ImageListHandle images, const std::string& path);
// Appends a picture resource; pixels of the colour red 0, green 255, blue
// 255 are transparent.
bool AddResourceImage(ImageListHandle images, int bitmap_resource);
int GetImageCount(ImageListHandle images);
// Frees an image list that was never given to a list view.
void DestroyImageList(ImageListHandle images);

// ---- List views ----------------------------------------------------------------

// A column of a list view: its title and width in pixels. Columns only show
// in the report view, but every view keeps the texts of every column.
int AddListColumn(WindowHandle list, std::string_view title, int width);
// The list view owns the image list from then on: the large pictures of the
// icon view, or the small pictures of column 0 in the report view.
void SetListImageList(WindowHandle list, ImageListHandle images);

// Inserts an entry at position (0 is the top) with the text of column 0 and
// an image index; an index the image list does not hold shows no picture.
// Returns the entry's position.
int InsertListItem(WindowHandle list, int position, std::string_view text, int image);
void SetListItemText(WindowHandle list, int item, int column, std::string_view text);
// The text of one column of an entry, cut like GetDlgItemText; "" for an
// entry or column that does not exist.
std::string GetListItemText(WindowHandle list, int item, int column, std::size_t max_bytes);
void SetListItemImage(WindowHandle list, int item, int image);
int GetListItemImage(WindowHandle list, int item);  // -1 for no entry
int GetListItemCount(WindowHandle list);
void DeleteListItem(WindowHandle list, int item);
void DeleteAllListItems(WindowHandle list);
// The selected entry, or -1.
int GetListSelection(WindowHandle list);
void SelectListItem(WindowHandle list, int item);  // -1: none

// What the list reports to its owner before handling it itself.
enum class ListEvent {
  LeftButtonDown,  // also the second press of a double-click
  LeftButtonUp,
  DeleteKey,
};
// Called with every such event over the list, before the list acts on it.
void SetListEventHandler(WindowHandle list, std::function<void(ListEvent)> handler);

// ---- Tab controls ----------------------------------------------------------------

// Appends a tab; the first one added is selected.
void AddTab(WindowHandle tabs, std::string_view text);
int GetSelectedTab(WindowHandle tabs);  // -1 without tabs
void SelectTab(WindowHandle tabs, int index);

// ---- Drop-down lists -------------------------------------------------------------

// A drop-down list made with kStyleSort keeps its entries ordered by their
// bytes, letters compared without regard to case; others append.
void ClearDropDownList(WindowHandle list);
void AddDropDownEntry(WindowHandle list, std::string_view text);
int GetDropDownCount(WindowHandle list);
std::string GetDropDownEntry(WindowHandle list, int index);
// The chosen entry (-1: none); GetWindowText gives its text.
int GetDropDownSelection(WindowHandle list);
void SelectDropDownEntry(WindowHandle list, int index);

// ---- File dialogs -------------------------------------------------------------

struct FileFilter {
  const char* name;     // CP932, as listed: "text(*.txt)"
  const char* pattern;  // "*.txt"
};

// The dialog id that ModalInfo gives the desktop's file dialog.
inline constexpr int kFileDialogId = -1;

// Shows the desktop's dialog for naming a file to save, with the first
// filter chosen. A name typed without an extension gets the default
// extension. Returns the path in the file system's own bytes, or "" when
// the dialog was cancelled. The dialog does not ask about existing files.
std::string GetSaveFileName(WindowHandle owner, std::string_view title, std::span<const FileFilter> filters,
                            std::string_view default_extension);

// ---- Windows -----------------------------------------------------------------

struct Rect {
  int left, top, right, bottom;
};

enum class Show { Normal, NoActivate, Hide, Restore };

void ShowWindow(WindowHandle window, Show how);
bool IsWindowVisible(WindowHandle window);
void SetFocus(WindowHandle window);
WindowHandle GetFocus();
WindowHandle GetActiveWindow();
Rect GetWindowRect(WindowHandle window);  // outer frame, screen pixels
Rect GetDesktopRect();
Rect GetClientRect(WindowHandle window);  // left and top are 0
// Moves and sizes a control within its parent (client pixels).
void MoveWindow(WindowHandle window, int x, int y, int width, int height);
// Moves the window (outer frame, screen pixels), puts it on top and shows it.
void MoveWindowOnTop(WindowHandle window, int x, int y);
void DestroyWindow(WindowHandle window);
// Paints the window's pending changes at once, while the program is busy
// outside the message loop; user input waits.
void RepaintNow(WindowHandle window);

// ---- The main window -----------------------------------------------------

// The messages of the main window. Key codes are Win32 virtual keys.
class MainWindowProc {
 public:
  virtual ~MainWindowProc() = default;
  virtual void OnCreate(WindowHandle window) = 0;
  virtual void OnDestroy(WindowHandle window) = 0;
  virtual void OnMove(WindowHandle window) = 0;
  virtual void OnPaint(WindowHandle window) = 0;
  virtual void OnKeyDown(WindowHandle window, int virtual_key) = 0;
  virtual void OnChar(WindowHandle window, int character) = 0;
  virtual void OnCommand(WindowHandle window, int id) = 0;
  virtual void OnTimer(WindowHandle window, int timer_id) = 0;
  virtual void OnLeftButtonUp(WindowHandle window, int x, int y) = 0;
};

inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_F1 = 0x70;

// Creates the top-level window with a scene area of scene_width x
// scene_height at the top of its client area and room for a row of controls
// below it; the procedure's OnCreate runs before this returns. Null on
// failure.
WindowHandle CreateMainWindow(std::string_view title, int icon_resource, int scene_width,
                              int scene_height, int client_height, MainWindowProc& proc);

// Adds a child control to the main window (position in client pixels).
WindowHandle CreateChildControl(WindowHandle parent, const ControlTemplate& control);

// Shows a finished frame (rows of 32-bit 0x00RRGGBB pixels) in the scene
// area of the main window, all at once.
void PresentScene(WindowHandle main_window, const std::uint32_t* pixels, int width, int height);

// Screen position of the scene area's top-left pixel.
void GetSceneOrigin(WindowHandle main_window, int* x, int* y);

// The red, green and blue masks of the default screen's pixel format; false
// when there is no display to ask. A palette display has masks of 0.
bool GetDisplayPixelMasks(std::uint32_t* red, std::uint32_t* green, std::uint32_t* blue);

// Puts a picture resource on a button made with kStyleBitmap.
void SetButtonBitmap(WindowHandle button, int bitmap_resource);

// Window timer: OnTimer(timer_id) every period_ms until killed. Setting a
// running timer restarts its period.
void SetTimer(WindowHandle window, int timer_id, unsigned period_ms);
void KillTimer(WindowHandle window, int timer_id);

// True while the key is held down (Win32 virtual key).
bool IsKeyDown(int virtual_key);

// ---- The message loop ------------------------------------------------------

// Serves every pending desktop event first; whenever none is pending, runs
// idle_tick once. Returns the code given to PostQuitMessage. The controls of
// the main window get the dialog keyboard handling while they hold the
// focus (Tab moves it on, Enter presses the default button); keys on the
// scene go to the window procedure.
int RunMessageLoop(const std::function<void()>& idle_tick);
void PostQuitMessage(int code);

// ---- Single instance -------------------------------------------------------

// True when another instance runs on this desktop; it has then been asked to
// restore and raise its window. Otherwise this process becomes the running
// instance and raises `window` whenever a later instance asks.
bool AnotherInstanceRunning(std::string_view name);
void SetInstanceWindow(WindowHandle window);

// Resets a running screen saver of the display.
void ResetScreenSaver();

// ---- Application -----------------------------------------------------------

// Starts the desktop toolkit, runs entry and returns its result.
int RunApplication(int argc, char** argv, int (*entry)());

// ---- Scripted answers for tests -----------------------------------------------

struct ModalInfo {
  bool is_message_box;
  int dialog_id;         // template id of a dialog; 0 for a message box
  std::string text;      // CP932: the message box text
  std::string caption;   // CP932: caption or dialog title
  unsigned style;        // message box style bits
  bool has_owner;
  WindowHandle window;   // the box or dialog itself
  // File dialogs: the filters as "name|pattern|name|pattern" and the
  // default extension.
  std::string filters = {};
  std::string default_extension = {};
};

// Called for every message box and modal dialog once it is on screen. The
// answerer acts on it with the functions below (or any of the above).
using ModalAnswerer = std::function<void(const ModalInfo&)>;
void SetModalAnswerer(ModalAnswerer answerer);

// Presses a button of a dialog or message box by id (IDOK, IDYES, IDNO,
// IDCANCEL, or a control id) as a click would.
void ClickButton(WindowHandle dialog, int id);

// A click on an entry of a list view as the mouse makes it: the press
// (reported while the earlier choice is still selected), the selection of
// the entry, the release.
void ClickListItem(WindowHandle list, int item);
// A key pressed while the list has the keyboard (Win32 virtual key).
void PressListKey(WindowHandle list, int virtual_key);

// Chooses a path (file system bytes) in a file dialog and confirms it, as
// the user would by typing it and pressing the save button.
void AnswerFileDialog(WindowHandle dialog, std::string_view path);

}  // namespace platform
