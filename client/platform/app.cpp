// Toolkit start-up, the message loop, the main window and window services.
#include <gdk/gdk.h>
#include <gdk/gdkx.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/utils.h>
#include <X11/Xlib.h>

#include <cairo.h>

#include <cstring>
#include <map>
#include <memory>

#include "client/platform/wx_internal.h"

namespace platform {

using detail::Handle;
using detail::ToWx;
using detail::Widget;

namespace {

class PlatformApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

bool quit_posted = false;
int quit_code = 0;

// Key codes of the toolkit as Win32 virtual keys.
int VirtualKey(int key_code) {
  switch (key_code) {
    case WXK_TAB: return VK_TAB;
    case WXK_RETURN: case WXK_NUMPAD_ENTER: return VK_RETURN;
    case WXK_ESCAPE: return VK_ESCAPE;
    case WXK_LEFT: case WXK_NUMPAD_LEFT: return VK_LEFT;
    case WXK_UP: case WXK_NUMPAD_UP: return VK_UP;
    case WXK_RIGHT: case WXK_NUMPAD_RIGHT: return VK_RIGHT;
    case WXK_DOWN: case WXK_NUMPAD_DOWN: return VK_DOWN;
    case WXK_DELETE: case WXK_NUMPAD_DELETE: return VK_DELETE;
    case WXK_F1: return VK_F1;
    default:
      if (key_code >= 'a' && key_code <= 'z') return key_code - 'a' + 'A';
      return key_code < 0x80 ? key_code : 0;
  }
}

int ToolkitKey(int virtual_key) {
  switch (virtual_key) {
    case VK_TAB: return WXK_TAB;
    case VK_RETURN: return WXK_RETURN;
    case VK_ESCAPE: return WXK_ESCAPE;
    case VK_LEFT: return WXK_LEFT;
    case VK_UP: return WXK_UP;
    case VK_RIGHT: return WXK_RIGHT;
    case VK_DOWN: return WXK_DOWN;
    case VK_DELETE: return WXK_DELETE;
    case VK_F1: return WXK_F1;
    default: return virtual_key;
  }
}

// The scene area of the main window: it takes the keyboard in move mode and
// reports clicks and keys to the window procedure.
class SceneCanvas : public wxWindow {
 public:
  SceneCanvas(wxWindow* parent, const wxSize& size)
      : wxWindow(parent, wxID_ANY, wxPoint(0, 0), size, wxWANTS_CHARS | wxBORDER_NONE) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
  }
  bool AcceptsFocusFromKeyboard() const override { return false; }

  ~SceneCanvas() override {
    if (surface_) cairo_surface_destroy(surface_);
  }

  // Keeps a copy of the finished frame and paints it at once. The frame's
  // 0x00RRGGBB pixels are cairo's RGB24 layout, so painting needs no
  // conversion.
  void Present(const std::uint32_t* pixels, int width, int height) {
    if (!surface_ || width != width_ || height != height_) {
      if (surface_) cairo_surface_destroy(surface_);
      surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
      width_ = width;
      height_ = height;
    }
    cairo_surface_flush(surface_);
    unsigned char* rows = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    for (int y = 0; y < height; ++y) {
      std::memcpy(rows + static_cast<std::ptrdiff_t>(y) * stride, pixels + static_cast<std::ptrdiff_t>(y) * width,
                  static_cast<std::size_t>(width) * sizeof(std::uint32_t));
    }
    cairo_surface_mark_dirty(surface_);
    Refresh(false);
    Update();
  }

  void PaintFrame(wxDC& dc) {
    auto* cr = static_cast<cairo_t*>(dc.GetHandle());
    if (!surface_ || !cr) return;
    cairo_set_source_surface(cr, surface_, 0, 0);
    cairo_paint(cr);
  }

 private:
  cairo_surface_t* surface_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

class MainFrame : public wxFrame {
 public:
  MainFrame(std::string_view title, int icon_resource, int scene_width, int scene_height,
            int client_height, MainWindowProc& proc)
      : wxFrame(nullptr, wxID_ANY, ToWx(title), wxDefaultPosition, wxDefaultSize,
                wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxCLOSE_BOX),
        proc_(proc) {
    const wxBitmap icon = detail::ResourceBitmap(icon_resource);
    if (icon.IsOk()) {
      wxIcon frame_icon;
      frame_icon.CopyFromBitmap(icon);
      SetIcon(frame_icon);
    }
    panel_ = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    panel_->SetBackgroundColour(*wxBLACK);
    scene_ = new SceneCanvas(panel_, wxSize(scene_width, scene_height));
    SetClientSize(scene_width, client_height);
    panel_->SetSize(GetClientSize());

    scene_->Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
      wxPaintDC dc(scene_);
      scene_->PaintFrame(dc);
      proc_.OnPaint(Handle(this));
    });
    scene_->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& event) {
      proc_.OnKeyDown(Handle(this), VirtualKey(event.GetKeyCode()));
      event.Skip();  // let the character message follow
    });
    scene_->Bind(wxEVT_CHAR, [this](wxKeyEvent& event) {
      proc_.OnChar(Handle(this), event.GetUnicodeKey() != WXK_NONE ? static_cast<int>(event.GetUnicodeKey())
                                                                   : event.GetKeyCode());
    });
    scene_->Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& event) {
      const wxPoint at = event.GetPosition();
      proc_.OnLeftButtonUp(Handle(this), at.x & 0xFFFF, at.y & 0xFFFF);
    });
    Bind(wxEVT_MOVE, [this](wxMoveEvent& event) {
      proc_.OnMove(Handle(this));
      event.Skip();
    });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) { proc_.OnCommand(Handle(this), event.GetId()); });
    Bind(wxEVT_TEXT, [this](wxCommandEvent& event) { proc_.OnCommand(Handle(this), event.GetId()); });
    Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { proc_.OnCommand(Handle(this), IDOK); });
  }

  // Destruction notifies the window procedure at once, as destroying a
  // window does on the desktop it stands in for.
  bool Destroy() override {
    if (!destroyed_) {
      destroyed_ = true;
      for (auto& [id, timer] : timers_) timer->Stop();
      proc_.OnDestroy(Handle(this));
    }
    return wxFrame::Destroy();
  }

  void Created() { proc_.OnCreate(Handle(this)); }

  wxWindow* panel() const { return panel_; }
  SceneCanvas* scene() const { return scene_; }

  void SetTimer(int id, unsigned period_ms) {
    auto& timer = timers_[id];
    if (!timer) {
      timer = std::make_unique<wxTimer>();
      timer->Bind(wxEVT_TIMER, [this, id](wxTimerEvent&) { proc_.OnTimer(Handle(this), id); });
    }
    timer->Start(static_cast<int>(period_ms));
  }

  void KillTimer(int id) {
    auto found = timers_.find(id);
    if (found != timers_.end()) found->second->Stop();
  }

  void AddChild(wxWindow* control, int id) {
    // Every notification of a text input reaches the procedure, focus
    // changes included.
    if (dynamic_cast<wxTextCtrl*>(control)) {
      control->Bind(wxEVT_SET_FOCUS, [this, id](wxFocusEvent& event) {
        proc_.OnCommand(Handle(this), id);
        event.Skip();
      });
      control->Bind(wxEVT_KILL_FOCUS, [this, id](wxFocusEvent& event) {
        proc_.OnCommand(Handle(this), id);
        event.Skip();
      });
    }
  }

 private:
  MainWindowProc& proc_;
  wxPanel* panel_ = nullptr;
  SceneCanvas* scene_ = nullptr;
  std::map<int, std::unique_ptr<wxTimer>> timers_;
  bool destroyed_ = false;
};

MainFrame* AsMainFrame(WindowHandle window) { return dynamic_cast<MainFrame*>(Widget(window)); }

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(PlatformApp);

int RunApplication(int argc, char** argv, int (*entry)()) {
  if (!wxEntryStart(argc, argv)) return 1;
  wxInitAllImageHandlers();
  wxLog::SetActiveTarget(new wxLogStderr);
  wxTheApp->CallOnInit();
  const int code = entry();
  wxTheApp->OnExit();
  wxEntryCleanup();
  return code;
}

int RunMessageLoop(const std::function<void()>& idle_tick) {
  wxEventLoop loop;
  wxEventLoopActivator activate(&loop);
  quit_posted = false;
  while (!quit_posted) {
    if (loop.Pending()) {
      loop.Dispatch();
      continue;
    }
    // Idle processing delivers queued calls and deletes closed windows.
    wxTheApp->ProcessIdle();
    if (quit_posted) break;
    idle_tick();
  }
  return quit_code;
}

void PostQuitMessage(int code) {
  quit_posted = true;
  quit_code = code;
}

WindowHandle CreateMainWindow(std::string_view title, int icon_resource, int scene_width, int scene_height,
                              int client_height, MainWindowProc& proc) {
  auto* frame = new MainFrame(title, icon_resource, scene_width, scene_height, client_height, proc);
  frame->Created();
  return Handle(frame);
}

WindowHandle CreateChildControl(WindowHandle parent, const ControlTemplate& control) {
  MainFrame* frame = AsMainFrame(parent);
  if (!frame) return nullptr;
  const wxPoint position(control.x, control.y);
  const wxSize size(control.width, control.height);
  const wxString text = ToWx(control.text ? control.text : "");
  wxWindow* made = nullptr;
  switch (control.kind) {
    case ControlKind::Edit:
      made = new wxTextCtrl(frame->panel(), control.id, text, position, size, wxTE_PROCESS_ENTER);
      break;
    case ControlKind::Button: {
      auto* button = new wxButton(frame->panel(), control.id, text, position, size);
      if (control.style & kStyleDefault) button->SetDefault();
      made = button;
      break;
    }
    default:
      return nullptr;
  }
  frame->AddChild(made, control.id);
  return Handle(made);
}

void PresentScene(WindowHandle main_window, const std::uint32_t* pixels, int width, int height) {
  if (MainFrame* frame = AsMainFrame(main_window)) frame->scene()->Present(pixels, width, height);
}

void GetSceneOrigin(WindowHandle main_window, int* x, int* y) {
  wxPoint origin(0, 0);
  if (MainFrame* frame = AsMainFrame(main_window)) origin = frame->scene()->ClientToScreen(origin);
  *x = origin.x;
  *y = origin.y;
}

void SetButtonBitmap(WindowHandle button, int bitmap_resource) {
  auto* control = dynamic_cast<wxButton*>(Widget(button));
  if (!control) return;
  const wxBitmap bitmap = detail::ResourceBitmap(bitmap_resource);
  if (bitmap.IsOk()) control->SetBitmap(bitmap);
}

void SetTimer(WindowHandle window, int timer_id, unsigned period_ms) {
  if (MainFrame* frame = AsMainFrame(window)) frame->SetTimer(timer_id, period_ms);
}

void KillTimer(WindowHandle window, int timer_id) {
  if (MainFrame* frame = AsMainFrame(window)) frame->KillTimer(timer_id);
}

bool IsKeyDown(int virtual_key) { return wxGetKeyState(static_cast<wxKeyCode>(ToolkitKey(virtual_key))); }

void ShowWindow(WindowHandle window, Show how) {
  wxWindow* widget = Widget(window);
  if (!widget) return;
  auto* top = dynamic_cast<wxTopLevelWindow*>(widget);
  switch (how) {
    case Show::Normal: widget->Show(); break;
    case Show::NoActivate:
      if (top) top->ShowWithoutActivating(); else widget->Show();
      break;
    case Show::Hide: widget->Hide(); break;
    case Show::Restore:
      if (top) top->Iconize(false);
      widget->Show();
      widget->Raise();
      break;
  }
}

void SetFocus(WindowHandle window) {
  if (MainFrame* frame = AsMainFrame(window)) {
    frame->scene()->SetFocus();
  } else if (wxWindow* widget = Widget(window)) {
    widget->SetFocus();
  }
}

WindowHandle GetFocus() {
  wxWindow* focus = wxWindow::FindFocus();
  if (focus && dynamic_cast<SceneCanvas*>(focus)) return Handle(wxGetTopLevelParent(focus));
  return Handle(focus);
}

WindowHandle GetActiveWindow() {
  for (wxWindow* top : wxTopLevelWindows) {
    if (auto* window = dynamic_cast<wxTopLevelWindow*>(top); window && window->IsActive()) {
      return Handle(window);
    }
  }
  return nullptr;
}

Rect GetWindowRect(WindowHandle window) {
  wxWindow* widget = Widget(window);
  if (!widget) return {};
  const wxRect rect = widget->GetScreenRect();
  return {rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
}

Rect GetDesktopRect() {
  const wxRect rect = wxDisplay(0u).GetGeometry();
  return {rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
}

void MoveWindowOnTop(WindowHandle window, int x, int y) {
  wxWindow* widget = Widget(window);
  if (!widget) return;
  widget->Move(x, y);
  widget->Show();
  widget->Raise();
}

void DestroyWindow(WindowHandle window) {
  if (wxWindow* widget = Widget(window)) widget->Destroy();
}

bool GetDisplayPixelMasks(std::uint32_t* red, std::uint32_t* green, std::uint32_t* blue) {
  GdkDisplay* display = gdk_display_get_default();
  if (!display || !GDK_IS_X11_DISPLAY(display)) return false;
  Display* x_display = GDK_DISPLAY_XDISPLAY(display);
  const Visual* visual = DefaultVisual(x_display, DefaultScreen(x_display));
  if (!visual) return false;
  *red = static_cast<std::uint32_t>(visual->red_mask);
  *green = static_cast<std::uint32_t>(visual->green_mask);
  *blue = static_cast<std::uint32_t>(visual->blue_mask);
  return true;
}

void RepaintNow(WindowHandle window) {
  wxWindow* widget = Widget(window);
  if (!widget) return;
  widget->Update();
  wxEventLoopGuarantor loop;  // a busy start-up may have no loop running yet
  wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_UI);
}

void ResetScreenSaver() {
  GdkDisplay* display = gdk_display_get_default();
  if (!display || !GDK_IS_X11_DISPLAY(display)) return;
  Display* x_display = GDK_DISPLAY_XDISPLAY(display);
  XResetScreenSaver(x_display);
  XFlush(x_display);
}

}  // namespace platform
