// Dialogs built from templates, message boxes and scripted answers.
#include <wx/artprov.h>
#include <wx/dcbuffer.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/mstream.h>
#include <wx/statbmp.h>

#include <map>

#include "client/platform/list_controls.h"
#include "client/platform/text.h"
#include "client/platform/wx_internal.h"
#include "client/resources/art.h"

namespace platform {
namespace detail {

wxString ToWx(std::string_view cp932) { return wxString::FromUTF8(Cp932ToUtf8(cp932)); }

std::string FromWx(const wxString& text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  return Utf8ToCp932(std::string_view(utf8.data(), utf8.length()));
}

wxBitmap ResourceBitmap(int id) {
  const std::span<const unsigned char> bytes = art::ArtResource(id);
  if (bytes.empty()) return wxBitmap();
  wxMemoryInputStream stream(bytes.data(), bytes.size());
  wxImage image(stream, wxBITMAP_TYPE_BMP);
  return image.IsOk() ? wxBitmap(image) : wxBitmap();
}

wxBitmap ResourceBitmapMasked(int id, const wxColour& mask) {
  wxBitmap bitmap = ResourceBitmap(id);
  if (bitmap.IsOk()) bitmap.SetMask(new wxMask(bitmap, mask));
  return bitmap;
}

namespace {
ModalAnswerer answerer;
}

void AnnounceModal(wxDialog* dialog, const ModalInfo& info) {
  if (!answerer) return;
  dialog->CallAfter([info] {
    if (answerer) answerer(info);
  });
}

}  // namespace detail

using detail::FromWx;
using detail::Handle;
using detail::ToWx;
using detail::Widget;

void SetModalAnswerer(ModalAnswerer answerer) { detail::answerer = std::move(answerer); }

namespace {

// The name that marks multi-line edits in which Enter types a line break.
constexpr char kWantReturnName[] = "posyvale-want-return";

wxColour ToColour(Rgb rgb) { return wxColour(rgb.red, rgb.green, rgb.blue); }

wxTextCtrl* AsEdit(wxWindow* window) { return dynamic_cast<wxTextCtrl*>(window); }
wxTextCtrl* AsEdit(WindowHandle window) { return AsEdit(Widget(window)); }

// Multi-line edits keep "\n" inside; the client sees CR LF line ends.
std::string CrLfLines(std::string text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string LfLines(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

std::string ControlText(wxWindow* control) {
  if (wxTextCtrl* edit = AsEdit(control)) {
    std::string text = FromWx(edit->GetValue());
    return edit->IsMultiLine() ? CrLfLines(std::move(text)) : text;
  }
  std::string chosen;
  if (detail::DropDownText(control, &chosen)) return chosen;
  return FromWx(control->GetLabel());
}

void SetControlText(wxWindow* control, std::string_view text) {
  if (wxTextCtrl* edit = AsEdit(control)) {
    const std::string shown = edit->IsMultiLine() ? LfLines(text) : std::string(text);
    edit->ChangeValue(ToWx(shown));
  } else {
    control->SetLabel(ToWx(text));
  }
}

// A button drawn by the client: the dialog colour, a sunken edge while
// pressed, and its picture drawn transparently 3 pixels in from the top left.
class ImageButton : public wxControl {
 public:
  ImageButton(wxWindow* parent, int id, const wxPoint& position, const wxSize& size,
              const wxBitmap& picture, const wxColour& background)
      : wxControl(parent, id, position, size, wxBORDER_NONE | wxWANTS_CHARS),
        picture_(picture),
        background_(background) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &ImageButton::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent&) {
      pressed_ = true;
      CaptureMouse();
      Refresh();
    });
    Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& event) {
      if (!pressed_) return;
      pressed_ = false;
      if (HasCapture()) ReleaseMouse();
      Refresh();
      if (GetClientRect().Contains(event.GetPosition())) Click();
    });
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
      pressed_ = false;
      Refresh();
    });
    Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& event) {
      if (event.GetKeyCode() == WXK_SPACE) {
        Click();
      } else {
        event.Skip();
      }
    });
    Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& event) { Refresh(), event.Skip(); });
    Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& event) { Refresh(), event.Skip(); });
  }

  bool AcceptsFocus() const override { return true; }

  void Click() {
    wxCommandEvent event(wxEVT_BUTTON, GetId());
    event.SetEventObject(this);
    ProcessWindowEvent(event);
  }

 private:
  void OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    dc.SetBrush(wxBrush(background_));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(0, 0, size.x, size.y);
    if (pressed_) {
      // A sunken edge: dark lines top and left, light lines bottom and right.
      dc.SetPen(wxPen(wxColour(128, 128, 128)));
      dc.DrawLine(0, 0, size.x - 1, 0);
      dc.DrawLine(0, 0, 0, size.y - 1);
      dc.SetPen(wxPen(wxColour(64, 64, 64)));
      dc.DrawLine(1, 1, size.x - 2, 1);
      dc.DrawLine(1, 1, 1, size.y - 2);
      dc.SetPen(wxPen(*wxWHITE));
      dc.DrawLine(0, size.y - 1, size.x, size.y - 1);
      dc.DrawLine(size.x - 1, 0, size.x - 1, size.y);
    }
    if (picture_.IsOk()) dc.DrawBitmap(picture_, 3, 3, true);
    if (HasFocus()) {
      dc.SetPen(wxPen(wxColour(0, 0, 0), 1, wxPENSTYLE_DOT));
      dc.SetBrush(*wxTRANSPARENT_BRUSH);
      dc.DrawRectangle(1, 1, size.x - 2, size.y - 2);
    }
  }

  wxBitmap picture_;
  wxColour background_;
  bool pressed_ = false;
};

// A dialog run from a template. Enter presses the default button (or the
// focused push button), Escape and the close box send IDCANCEL, as the
// desktop's dialog keyboard handling does.
class TemplateDialog : public wxDialog {
 public:
  TemplateDialog(wxWindow* owner, const DialogTemplate& layout, DialogProc& proc)
      : layout_(layout), proc_(proc) {
    long style = wxCAPTION;
    if (layout.system_menu) style |= wxSYSTEM_MENU | wxCLOSE_BOX;
    if (layout.sizing_border) style |= wxRESIZE_BORDER;
    if (!owner) style |= wxDIALOG_NO_PARENT;
    Create(owner, wxID_ANY, ToWx(layout.title), wxDefaultPosition, wxDefaultSize, style);
    SetFont(wxFont(layout.font_points, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL,
                   false, ToWx(layout.font_face)));
    SetBackgroundColour(ToColour(layout.background));
    SetClientSize(ConvertDialogToPixels(wxSize(layout.width, layout.height)));
    for (const ControlTemplate& control : layout.controls) {
      AddControl(control, ConvertDialogToPixels(wxPoint(control.x, control.y)),
                 ConvertDialogToPixels(wxSize(control.width, control.height)));
    }
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
      const wxSize client = GetClientSize();
      proc_.OnSize(Handle(this), client.x, client.y);
      event.Skip();
    });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) { proc_.OnCommand(Handle(this), event.GetId()); });
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { proc_.OnCommand(Handle(this), IDCANCEL); });
    Bind(wxEVT_CHAR_HOOK, &TemplateDialog::OnCharHook, this);
  }

  int default_id() const { return default_id_; }

  wxWindow* AddControl(const ControlTemplate& control, const wxPoint& position, const wxSize& size) {
    const int id = control.id < 0 ? wxID_ANY : control.id;
    const wxString text = ToWx(control.text ? control.text : "");
    wxWindow* made = nullptr;
    switch (control.kind) {
      case ControlKind::Edit:
        made = new wxTextCtrl(this, id, wxString(), position, size, EditStyle(control.style));
        SetControlText(made, control.text ? control.text : "");
        if (control.style & kStyleWantReturn) made->SetName(kWantReturnName);
        break;
      case ControlKind::Button: {
        // A picture button shows its picture alone, without its text.
        auto* button = new wxButton(this, id, (control.style & kStyleBitmap) ? wxString() : text, position, size);
        if (control.style & kStyleDefault) {
          button->SetDefault();
          default_id_ = id;
        }
        made = button;
        break;
      }
      case ControlKind::ImageButton:
        made = new ImageButton(this, id, position, size,
                               detail::ResourceBitmapMasked(control.bitmap, wxColour(0, 255, 255)),
                               ToColour(layout_.background));
        break;
      case ControlKind::Label: {
        // A centred label keeps its box; others take the width their text
        // needs in the font at hand, which may be wider than the one the
        // layout was drawn for.
        const bool centred = (control.style & kStyleCentre) != 0;
        auto* label = new wxStaticText(this, id, text, position, centred ? size : wxSize(-1, size.y),
                                       centred ? wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE : 0);
        label->SetForegroundColour(*wxBLACK);
        made = label;
        break;
      }
      case ControlKind::GroupBox:
        made = new wxStaticBox(this, id, text, position, size);
        break;
      case ControlKind::Picture: {
        long style = (control.style & kStyleBorder) ? wxBORDER_SIMPLE : wxBORDER_NONE;
        made = new wxStaticBitmap(this, id, detail::ResourceBitmap(control.bitmap), position, size, style);
        break;
      }
      case ControlKind::ListView:
        made = detail::MakeListView(this, id, position, size, control.style);
        break;
      case ControlKind::TabControl:
        made = detail::MakeTabControl(this, id, position, size);
        break;
      case ControlKind::DropDownList:
        made = detail::MakeDropDownList(this, id, position, size, control.style);
        break;
    }
    if (made && !(control.style & kStyleTabStop) && control.kind == ControlKind::Button) {
      made->DisableFocusFromKeyboard();
    }
    return made;
  }

 private:
  static long EditStyle(unsigned style) {
    long made = 0;
    if (style & kStylePassword) made |= wxTE_PASSWORD;
    if (style & kStyleMultiLine) made |= wxTE_MULTILINE;
    if (style & kStyleVScroll) made |= wxVSCROLL;
    if (style & kStyleHScroll) made |= wxHSCROLL;
    if (style & kStyleReadOnly) made |= wxTE_READONLY;
    if (style & kStyleCentre) made |= wxTE_CENTRE;
    if (!(style & kStyleBorder)) made |= wxBORDER_NONE;
    return made;
  }

  void OnCharHook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE) {
      proc_.OnCommand(Handle(this), IDCANCEL);
      return;
    }
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
      wxWindow* focus = wxWindow::FindFocus();
      if (focus && focus->GetName() == kWantReturnName) {
        event.Skip();  // a line break in a message edit
        return;
      }
      if (focus && focus->GetParent() == this &&
          (dynamic_cast<wxButton*>(focus) || dynamic_cast<ImageButton*>(focus))) {
        proc_.OnCommand(Handle(this), focus->GetId());
      } else {
        proc_.OnCommand(Handle(this), default_id_);
      }
      return;
    }
    event.Skip();
  }

  const DialogTemplate& layout_;
  DialogProc& proc_;
  int default_id_ = IDOK;
};

// The desktop's file dialog for a name to save under. A test answer
// replaces what the user would have typed.
class SaveFileDialog : public wxFileDialog {
 public:
  SaveFileDialog(wxWindow* owner, const wxString& title, const wxString& wildcard)
      : wxFileDialog(owner, title, wxString(), wxString(), wildcard, wxFD_SAVE) {}

  void Answer(const wxString& path) {
    answer_ = path;
    answered_ = true;
    EndModal(wxID_OK);
  }

  wxString ChosenPath() const { return answered_ ? answer_ : GetPath(); }

 private:
  wxString answer_;
  bool answered_ = false;
};

// A message box: icon, text and the buttons of its style.
class MessageBoxDialog : public wxDialog {
 public:
  MessageBoxDialog(wxWindow* owner, const wxString& text, const wxString& caption, unsigned style)
      : wxDialog(owner, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize,
                 wxCAPTION | wxSYSTEM_MENU | (owner ? 0 : wxDIALOG_NO_PARENT)) {
    auto* rows = new wxBoxSizer(wxVERTICAL);
    auto* body = new wxBoxSizer(wxHORIZONTAL);
    const wxArtID icon = IconArt(style);
    if (!icon.empty()) {
      body->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetBitmap(icon, wxART_MESSAGE_BOX)),
                0, wxALL, 10);
    }
    body->Add(new wxStaticText(this, wxID_ANY, text), 1, wxALL | wxALIGN_CENTER_VERTICAL, 12);
    rows->Add(body, 1, wxEXPAND);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    if ((style & 0x0F) == MB_YESNO) {
      AddButton(buttons, IDYES, "はい(&Y)", true);
      AddButton(buttons, IDNO, "いいえ(&N)", false);
    } else {
      AddButton(buttons, IDOK, "OK", true);
    }
    rows->Add(buttons, 0, wxALIGN_CENTER | wxBOTTOM, 10);
    SetSizerAndFit(rows);
    CentreOnParent();
    Bind(wxEVT_CLOSE_WINDOW, [this, style](wxCloseEvent&) {
      // A box with only OK closes like OK; a Yes/No box cannot be dismissed.
      if ((style & 0x0F) != MB_YESNO) EndModal(IDOK);
    });
    Bind(wxEVT_CHAR_HOOK, [this, style](wxKeyEvent& event) {
      if (event.GetKeyCode() == WXK_ESCAPE) {
        if ((style & 0x0F) != MB_YESNO) EndModal(IDOK);
        return;
      }
      event.Skip();
    });
  }

 private:
  static wxArtID IconArt(unsigned style) {
    switch (style & 0xF0) {
      case MB_ICONHAND: return wxART_ERROR;
      case MB_ICONQUESTION: return wxART_QUESTION;
      case MB_ICONEXCLAMATION: return wxART_WARNING;
      case MB_ICONASTERISK: return wxART_INFORMATION;
      default: return wxArtID();
    }
  }

  void AddButton(wxSizer* sizer, int id, const char* utf8_label, bool is_default) {
    auto* button = new wxButton(this, id, wxString::FromUTF8(utf8_label));
    button->Bind(wxEVT_BUTTON, [this, id](wxCommandEvent&) { EndModal(id); });
    if (is_default) {
      button->SetDefault();
      button->SetFocus();
    }
    sizer->Add(button, 0, wxALL, 5);
  }
};

}  // namespace

int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption, unsigned style) {
  MessageBoxDialog box(Widget(owner), ToWx(text), ToWx(caption), style);
  detail::AnnounceModal(&box, ModalInfo{true, 0, std::string(text), std::string(caption), style,
                                        owner != nullptr, Handle(&box)});
  return box.ShowModal();
}

int DialogBoxModal(const DialogTemplate& layout, WindowHandle owner, DialogProc& proc) {
  TemplateDialog dialog(Widget(owner), layout, proc);
  dialog.CentreOnScreen();
  proc.OnInitDialog(Handle(&dialog));
  detail::AnnounceModal(&dialog, ModalInfo{false, layout.id, {}, layout.title, 0, owner != nullptr,
                                           Handle(&dialog)});
  return dialog.ShowModal();
}

WindowHandle CreateModelessDialog(const DialogTemplate& layout, WindowHandle owner, DialogProc& proc) {
  auto* dialog = new TemplateDialog(Widget(owner), layout, proc);
  proc.OnInitDialog(Handle(dialog));
  return Handle(dialog);
}

void EndDialog(WindowHandle dialog, int result) {
  auto* window = dynamic_cast<wxDialog*>(Widget(dialog));
  if (!window) return;
  if (window->IsModal()) {
    window->EndModal(result);
  } else {
    window->Hide();
  }
}

WindowHandle GetDlgItem(WindowHandle dialog, int id) {
  wxWindow* parent = Widget(dialog);
  if (!parent) return nullptr;
  // Controls may sit on a panel inside the window: search the whole tree.
  for (wxWindow* child : parent->GetChildren()) {
    if (wxWindow* found = child->FindWindow(id)) return Handle(found);
  }
  return nullptr;
}

std::string GetDlgItemText(WindowHandle dialog, int id, std::size_t max_bytes) {
  return GetWindowText(GetDlgItem(dialog, id), max_bytes);
}

void SetDlgItemText(WindowHandle dialog, int id, std::string_view text) {
  SetWindowText(GetDlgItem(dialog, id), text);
}

std::string GetWindowText(WindowHandle window, std::size_t max_bytes) {
  wxWindow* control = Widget(window);
  if (!control) return {};
  const std::string text = ControlText(control);
  return std::string(Cp932Prefix(text, max_bytes));
}

void SetWindowText(WindowHandle window, std::string_view text) {
  if (wxWindow* control = Widget(window)) SetControlText(control, text);
}

WindowHandle CreateDialogControl(WindowHandle dialog, const ControlTemplate& control) {
  auto* window = dynamic_cast<TemplateDialog*>(Widget(dialog));
  if (!window) return nullptr;
  return Handle(window->AddControl(control, wxPoint(control.x, control.y), wxSize(control.width, control.height)));
}

int GetEditLineCount(WindowHandle edit) {
  wxTextCtrl* control = AsEdit(edit);
  return control ? control->GetNumberOfLines() : 0;
}

std::string GetEditLine(WindowHandle edit, int line, std::size_t max_bytes) {
  wxTextCtrl* control = AsEdit(edit);
  if (!control || line < 0 || line >= control->GetNumberOfLines()) return {};
  return std::string(Cp932Prefix(FromWx(control->GetLineText(line)), max_bytes));
}

void ScrollEditToLine(WindowHandle edit, int line) {
  if (wxTextCtrl* control = AsEdit(edit)) control->ShowPosition(control->XYToPosition(0, line));
}

int GetEditFirstVisibleLine(WindowHandle edit) {
  wxTextCtrl* control = AsEdit(edit);
  if (!control) return 0;
  wxTextCoord column = 0;
  wxTextCoord row = 0;
  control->HitTest(wxPoint(1, 1), &column, &row);
  return static_cast<int>(row);
}

void SetEditReadOnly(WindowHandle edit, bool read_only) {
  if (wxTextCtrl* control = AsEdit(edit)) control->SetEditable(!read_only);
}

bool IsEditReadOnly(WindowHandle edit) {
  wxTextCtrl* control = AsEdit(edit);
  return control && !control->IsEditable();
}

bool IsWindowVisible(WindowHandle window) {
  wxWindow* widget = Widget(window);
  return widget && widget->IsShown();
}

Rect GetClientRect(WindowHandle window) {
  wxWindow* widget = Widget(window);
  if (!widget) return {};
  const wxSize size = widget->GetClientSize();
  return {0, 0, size.x, size.y};
}

void MoveWindow(WindowHandle window, int x, int y, int width, int height) {
  if (wxWindow* widget = Widget(window)) widget->SetSize(x, y, width, height);
}

std::string GetSaveFileName(WindowHandle owner, std::string_view title, std::span<const FileFilter> filters,
                            std::string_view default_extension) {
  wxString wildcard;
  for (const FileFilter& filter : filters) {
    if (!wildcard.empty()) wildcard += '|';
    wildcard += ToWx(filter.name) + '|' + ToWx(filter.pattern);
  }
  SaveFileDialog dialog(Widget(owner), ToWx(title), wildcard);
  ModalInfo info{false, kFileDialogId, {}, std::string(title), 0, owner != nullptr, Handle(&dialog)};
  info.filters = FromWx(wildcard);
  info.default_extension = std::string(default_extension);
  detail::AnnounceModal(&dialog, info);
  if (dialog.ShowModal() != wxID_OK) return {};
  wxString path = dialog.ChosenPath();
  if (path.empty()) return {};
  if (!wxFileName(path).HasExt() && !default_extension.empty()) path += '.' + ToWx(default_extension);
  const wxScopedCharBuffer bytes = path.utf8_str();
  return std::string(bytes.data(), bytes.length());
}

void AnswerFileDialog(WindowHandle dialog, std::string_view path) {
  if (auto* file_dialog = dynamic_cast<SaveFileDialog*>(Widget(dialog))) {
    file_dialog->Answer(wxString::FromUTF8(path.data(), path.size()));
  }
}

void ClickButton(WindowHandle dialog, int id) {
  if (auto* file_dialog = dynamic_cast<SaveFileDialog*>(Widget(dialog))) {
    file_dialog->EndModal(id == IDOK ? wxID_OK : wxID_CANCEL);
    return;
  }
  wxWindow* button = Widget(GetDlgItem(dialog, id));
  if (auto* image_button = dynamic_cast<ImageButton*>(button)) {
    image_button->Click();
    return;
  }
  if (button) {
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(button);
    button->ProcessWindowEvent(event);
    return;
  }
  // Ids without a button (IDCANCEL on a dialog without one) arrive as the
  // dialog keyboard handling would send them.
  if (auto* window = dynamic_cast<wxDialog*>(Widget(dialog))) {
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(window);
    window->ProcessWindowEvent(event);
  }
}

}  // namespace platform
