#include "viewer/viewer_window.h"

#include <wx/button.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/webview.h>

#include <gtk/gtk.h>

#include <algorithm>

#include "viewer/viewer_icon.h"

namespace {

// The caption the window keeps when the command asks for the built-in one.
constexpr char kBuiltInCaption[] = "★★★　お知らせ　★★★";
constexpr char kAboutMenuItem[] = "Posyvales のﾊﾞｰｼﾞｮﾝ情報(&A)...";
constexpr char kAboutCaption[] = "Posyvales のﾊﾞｰｼﾞｮﾝ情報";
constexpr char kAboutText[] = "Posyvales Version 1.0.0.1";

// The command of the about item.
constexpr int kAboutCommand = 16;

// The window is placed here, and its outer size is the command's size less
// this margin.
constexpr int kWindowOrigin = 20;
constexpr int kSizeMargin = 20;

// After this time the window is shown once more in its normal state, so a
// viewer that ended up minimised or behind the client comes back in front.
constexpr int kRestoreDelayMs = 2000;

// The toolkit cannot make a window without area; smaller sizes become one pixel.
int WindowExtent(int requested) { return std::max(1, requested - kSizeMargin); }

// The toolkit hands a key press to the focused widget first, and the web
// view keeps what it uses. So the keys the dialog claims are taken from
// the window's events before any widget sees them: Enter goes nowhere,
// neither to the dialog nor to the page; Escape ends the dialog wherever
// the focus is.
gboolean OnWindowEvent(GtkWidget*, GdkEvent* event, gpointer dialog) {
  if (event->type != GDK_KEY_PRESS) return FALSE;
  switch (event->key.keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
      return TRUE;
    case GDK_KEY_Escape:
      static_cast<ViewerDialog*>(dialog)->EndModal(wxID_CANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

// The page's own context menu gives way to the viewer's, which carries the
// about item (the desktop offers no window menu to add it to).
gboolean OnBrowserContextMenu(GtkWidget*, gpointer, GdkEvent*, gpointer, gpointer dialog) {
  auto* viewer = static_cast<ViewerDialog*>(dialog);
  viewer->CallAfter([viewer] { viewer->ShowContextMenu(); });
  return TRUE;
}

}  // namespace

wxString FromCp932(const std::string& text) { return wxString(text.data(), wxCSConv("CP932"), text.size()); }

ViewerDialog::ViewerDialog(const ViewerCommandLine& command)
    : wxDialog(nullptr, wxID_ANY, FromCp932(kBuiltInCaption), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER | wxSTAY_ON_TOP),
      restore_timer_(this) {
  browser_ = wxWebView::New(this, wxID_ANY);
  if (browser_ == nullptr) return;
  g_signal_connect(browser_->GetNativeBackend(), "context-menu", G_CALLBACK(OnBrowserContextMenu), this);

  SetIcons(ViewerIcons());
  if (!KeepsBuiltInCaption(command.caption)) SetTitle(FromCp932(command.caption));
  SetSize(kWindowOrigin, kWindowOrigin, WindowExtent(command.width), WindowExtent(command.height));
  browser_->SetSize(GetClientSize());
  browser_->LoadURL(FromCp932(NavigableUrl(command.url)));
  browser_->SetFocus();
  restore_timer_.StartOnce(kRestoreDelayMs);

  Bind(wxEVT_SIZE, &ViewerDialog::OnSize, this);
  Bind(wxEVT_TIMER, &ViewerDialog::OnRestoreTimer, this);
  g_signal_connect(GetHandle(), "event", G_CALLBACK(OnWindowEvent), this);
  Bind(wxEVT_MENU, &ViewerDialog::OnAbout, this, kAboutCommand);
}

void ViewerDialog::OnSize(wxSizeEvent& event) {
  event.Skip();
  if (browser_ != nullptr) browser_->SetSize(GetClientRect());
}

void ViewerDialog::OnRestoreTimer(wxTimerEvent&) {
  restore_timer_.Stop();
  if (IsIconized()) Iconize(false);
  if (IsMaximized()) Maximize(false);
  Show();
  Raise();
}

void ViewerDialog::ShowContextMenu() {
  wxMenu menu;
  menu.Append(kAboutCommand, FromCp932(kAboutMenuItem));
  PopupMenu(&menu);
}

void ViewerDialog::OnAbout(wxCommandEvent&) {
  ViewerAboutBox about(this);
  about.ShowModal();
}

ViewerAboutBox::ViewerAboutBox(wxWindow* parent) : wxDialog(parent, wxID_ANY, FromCp932(kAboutCaption)) {
  auto* text_row = new wxBoxSizer(wxHORIZONTAL);
  text_row->Add(new wxStaticBitmap(this, wxID_ANY, wxBitmap(DrawViewerIcon(32))), 0, wxALL, 12);
  text_row->Add(new wxStaticText(this, wxID_ANY, FromCp932(kAboutText)), 0, wxALIGN_CENTER_VERTICAL | wxALL, 12);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(text_row);
  column->Add(new wxButton(this, wxID_OK, "OK"), 0, wxALIGN_RIGHT | wxALL, 8);
  SetSizerAndFit(column);
  CentreOnParent();
}
