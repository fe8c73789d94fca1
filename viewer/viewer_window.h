// The viewer's window: one resizable dialog whose whole client area is a
// web view, and the about box offered from its context menu.
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include "viewer/command_line.h"

class wxWebView;

class ViewerDialog : public wxDialog {
 public:
  // Sizes, places and captions the window and starts loading the page.
  explicit ViewerDialog(const ViewerCommandLine& command);

  // False when no web view could be made; the dialog then shows nothing.
  bool HasBrowser() const { return browser_ != nullptr; }

  // The menu with the about item, at the mouse pointer.
  void ShowContextMenu();

 private:
  void OnSize(wxSizeEvent& event);
  void OnRestoreTimer(wxTimerEvent& event);
  void OnAbout(wxCommandEvent& event);

  wxWebView* browser_ = nullptr;
  wxTimer restore_timer_;
};

// The version information of the viewer, shown modally.
class ViewerAboutBox : public wxDialog {
 public:
  explicit ViewerAboutBox(wxWindow* parent);
};

// Converts a CP932 text of the program to the toolkit's strings.
wxString FromCp932(const std::string& text);
