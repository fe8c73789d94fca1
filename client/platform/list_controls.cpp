// List views with image lists, tab rows and drop-down lists.
#include "client/platform/list_controls.h"

#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "client/platform/text.h"
#include "client/platform/wx_internal.h"

namespace platform {

struct ImageList {
  std::unique_ptr<wxImageList> list;
  int width;
  int height;
};

namespace {

using detail::FromWx;
using detail::Handle;
using detail::ToWx;
using detail::Widget;

// ---- Image lists ---------------------------------------------------------------

wxBitmap FittedBitmap(wxImage image, int width, int height) {
  if (image.GetWidth() != width || image.GetHeight() != height) {
    image.Rescale(width, height, wxIMAGE_QUALITY_HIGH);
  }
  return wxBitmap(image);
}

// A fully transparent picture that holds the place of one that failed.
wxBitmap EmptyPicture(int width, int height) {
  wxImage blank(width, height, true);
  blank.SetMaskColour(0, 0, 0);
  return wxBitmap(blank);
}

// The image of an icon file nearest the size wanted; not ok when the file
// is missing or not an icon. The toolkit's complaints are kept quiet: a bad
// icon is simply not shown.
wxImage ReadIconFile(const std::string& path, int width, int height) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return wxImage();
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.empty()) return wxImage();
  wxLogNull quiet;
  wxImage best;
  for (int index = 0; index < 16; ++index) {
    wxMemoryInputStream stream(bytes.data(), bytes.size());
    wxImage image;
    if (!image.LoadFile(stream, wxBITMAP_TYPE_ICO, index) || !image.IsOk()) break;
    const int distance = std::abs(image.GetWidth() - width) + std::abs(image.GetHeight() - height);
    if (!best.IsOk() || distance < std::abs(best.GetWidth() - width) + std::abs(best.GetHeight() - height)) {
      best = image;
    }
  }
  return best;
}

// ---- List views ----------------------------------------------------------------

// A list control that keeps every column text of every entry as CP932 bytes,
// whether its view shows them or not, and tells its owner of presses,
// releases and the Delete key before acting on them.
class ListView : public wxListCtrl {
 public:
  ListView(wxWindow* parent, int id, const wxPoint& position, const wxSize& size, bool report)
      : wxListCtrl(parent, id, position, size,
                   wxBORDER_SUNKEN | wxLC_SINGLE_SEL | (report ? wxLC_REPORT | wxLC_HRULES | wxLC_VRULES : wxLC_ICON)),
        report_(report) {
    for (wxWindow* child : GetChildren()) {
      if (child->GetClassInfo()->GetClassName() != wxString("wxListMainWindow")) continue;
      child->Bind(wxEVT_LEFT_DOWN, &ListView::OnPress, this);
      child->Bind(wxEVT_LEFT_DCLICK, &ListView::OnPress, this);
      child->Bind(wxEVT_LEFT_UP, &ListView::OnRelease, this);
      child->Bind(wxEVT_KEY_DOWN, &ListView::OnKey, this);
    }
  }

  void Notify(ListEvent event) {
    if (handler_) handler_(event);
  }
  void SetHandler(std::function<void(ListEvent)> handler) { handler_ = std::move(handler); }

  int AddColumn(std::string_view title, int width) {
    if (report_) InsertColumn(columns_, ToWx(title), wxLIST_FORMAT_LEFT, width);
    return columns_++;
  }

  void GiveImages(ImageList* images) {
    image_count_ = images->list->GetImageCount();
    AssignImageList(images->list.release(), report_ ? wxIMAGE_LIST_SMALL : wxIMAGE_LIST_NORMAL);
    delete images;
    for (std::size_t item = 0; item < images_.size(); ++item) ShowImage(static_cast<long>(item));
  }

  int Insert(int position, std::string_view text, int image) {
    position = std::clamp(position, 0, Count());
    rows_.insert(rows_.begin() + position, std::vector<std::string>(std::max(columns_, 1)));
    images_.insert(images_.begin() + position, image);
    rows_[static_cast<std::size_t>(position)][0] = std::string(text);
    InsertItem(position, ToWx(text), Shown(image));
    return position;
  }

  void SetText(int item, int column, std::string_view text) {
    if (!Has(item) || column < 0) return;
    std::vector<std::string>& row = rows_[static_cast<std::size_t>(item)];
    if (row.size() <= static_cast<std::size_t>(column)) row.resize(static_cast<std::size_t>(column) + 1);
    row[static_cast<std::size_t>(column)] = std::string(text);
    if (report_ && column < columns_) SetItem(item, column, ToWx(text));
  }

  std::string Text(int item, int column) const {
    if (!Has(item) || column < 0) return {};
    const std::vector<std::string>& row = rows_[static_cast<std::size_t>(item)];
    return static_cast<std::size_t>(column) < row.size() ? row[static_cast<std::size_t>(column)] : std::string();
  }

  void SetImage(int item, int image) {
    if (!Has(item)) return;
    images_[static_cast<std::size_t>(item)] = image;
    ShowImage(item);
  }

  int Image(int item) const { return Has(item) ? images_[static_cast<std::size_t>(item)] : -1; }
  int Count() const { return static_cast<int>(rows_.size()); }

  void Remove(int item) {
    if (!Has(item)) return;
    DeleteItem(item);
    rows_.erase(rows_.begin() + item);
    images_.erase(images_.begin() + item);
  }

  void RemoveAll() {
    DeleteAllItems();
    rows_.clear();
    images_.clear();
  }

 private:
  bool Has(int item) const { return item >= 0 && item < Count(); }
  int Shown(int image) const { return image >= 0 && image < image_count_ ? image : -1; }
  void ShowImage(long item) { SetItemImage(item, Shown(images_[static_cast<std::size_t>(item)])); }

  void OnPress(wxMouseEvent& event) {
    event.Skip();
    Notify(ListEvent::LeftButtonDown);
  }
  void OnRelease(wxMouseEvent& event) {
    event.Skip();
    Notify(ListEvent::LeftButtonUp);
  }
  void OnKey(wxKeyEvent& event) {
    event.Skip();
    if (event.GetKeyCode() == WXK_DELETE) Notify(ListEvent::DeleteKey);
  }

  bool report_;
  int columns_ = 0;
  int image_count_ = 0;
  std::vector<std::vector<std::string>> rows_;
  std::vector<int> images_;
  std::function<void(ListEvent)> handler_;
};

ListView* AsList(WindowHandle window) { return dynamic_cast<ListView*>(Widget(window)); }

// ---- Tab rows ------------------------------------------------------------------

// A row of tabs drawn by the client; a click on a tab selects it.
class TabRow : public wxControl {
 public:
  TabRow(wxWindow* parent, int id, const wxPoint& position, const wxSize& size)
      : wxControl(parent, id, position, size, wxBORDER_NONE) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &TabRow::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& event) {
      const int hit = TabAt(event.GetX());
      if (hit >= 0) Select(hit);
    });
  }

  void Add(const wxString& text) {
    tabs_.push_back(text);
    if (selected_ < 0) selected_ = 0;
    Refresh();
  }
  int Selected() const { return selected_; }
  void Select(int index) {
    if (index < 0 || index >= static_cast<int>(tabs_.size())) return;
    selected_ = index;
    Refresh();
  }

 private:
  int TabWidth(wxDC& dc, const wxString& text) const { return dc.GetTextExtent(text).x + 16; }

  int TabAt(int x) {
    wxClientDC dc(this);
    dc.SetFont(GetFont());
    int left = 2;
    for (std::size_t i = 0; i < tabs_.size(); ++i) {
      const int width = TabWidth(dc, tabs_[i]);
      if (x >= left && x < left + width) return static_cast<int>(i);
      left += width;
    }
    return -1;
  }

  void OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxSize size = GetClientSize();
    dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
    dc.Clear();
    dc.SetFont(GetFont());
    dc.SetPen(wxPen(wxColour(128, 128, 128)));
    dc.DrawLine(0, size.y - 1, size.x, size.y - 1);
    int left = 2;
    for (std::size_t i = 0; i < tabs_.size(); ++i) {
      const int width = TabWidth(dc, tabs_[i]);
      const bool chosen = static_cast<int>(i) == selected_;
      const int top = chosen ? 0 : 2;
      dc.SetBrush(wxBrush(chosen ? *wxWHITE : wxColour(246, 244, 236)));
      dc.DrawRectangle(left, top, width, size.y - top + (chosen ? 1 : 0));
      dc.SetTextForeground(*wxBLACK);
      dc.DrawText(tabs_[i], left + 8, top + (size.y - top - dc.GetCharHeight()) / 2);
      left += width;
    }
  }

  std::vector<wxString> tabs_;
  int selected_ = -1;
};

// ---- Drop-down lists -------------------------------------------------------------

// The order of a sorted drop-down list: bytes compared with the letters of
// single-byte characters folded to lower case.
std::string SortKey(std::string_view text) {
  std::string key(text);
  for (std::size_t i = 0; i < key.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(key[i]);
    if (IsCp932LeadByte(byte)) {
      ++i;  // the trail byte is part of the character, not a letter
    } else if (byte >= 'A' && byte <= 'Z') {
      key[i] = static_cast<char>(byte - 'A' + 'a');
    }
  }
  return key;
}

class DropDown : public wxChoice {
 public:
  DropDown(wxWindow* parent, int id, const wxPoint& position, const wxSize& size, bool sorted)
      : wxChoice(parent, id, position, size), sorted_(sorted) {}

  void Clear() {
    wxChoice::Clear();
    entries_.clear();
  }
  void Add(std::string_view text) {
    std::size_t at = entries_.size();
    if (sorted_) {
      const std::string key = SortKey(text);
      at = static_cast<std::size_t>(std::upper_bound(entries_.begin(), entries_.end(), key,
                                                     [](const std::string& k, const std::string& entry) {
                                                       return k < SortKey(entry);
                                                     }) -
                                    entries_.begin());
    }
    entries_.insert(entries_.begin() + static_cast<long>(at), std::string(text));
    Insert(ToWx(text), static_cast<unsigned>(at));
  }
  int Count() const { return static_cast<int>(entries_.size()); }
  std::string Entry(int index) const {
    return index >= 0 && index < Count() ? entries_[static_cast<std::size_t>(index)] : std::string();
  }

 private:
  bool sorted_;
  std::vector<std::string> entries_;
};

DropDown* AsDropDown(WindowHandle window) { return dynamic_cast<DropDown*>(Widget(window)); }

}  // namespace

namespace detail {

wxWindow* MakeListView(wxWindow* parent, int id, const wxPoint& position, const wxSize& size, unsigned style) {
  return new ListView(parent, id, position, size, (style & kStyleReport) != 0);
}

wxWindow* MakeTabControl(wxWindow* parent, int id, const wxPoint& position, const wxSize& size) {
  // Only the row of tabs is the control; the controls of the pages lie
  // below it on the dialog itself.
  const int row_height = parent->GetCharHeight() + 10;
  return new TabRow(parent, id, position, wxSize(size.x, std::min(size.y, row_height)));
}

wxWindow* MakeDropDownList(wxWindow* parent, int id, const wxPoint& position, const wxSize& size,
                           unsigned style) {
  // The template's height includes the dropped list; the box itself takes
  // the toolkit's height.
  return new DropDown(parent, id, position, wxSize(size.x, -1), (style & kStyleSort) != 0);
}

bool DropDownText(wxWindow* control, std::string* text) {
  auto* list = dynamic_cast<DropDown*>(control);
  if (!list) return false;
  *text = list->Entry(list->GetSelection());
  return true;
}

}  // namespace detail

void EnableWindow(WindowHandle window, bool enabled) {
  if (wxWindow* widget = Widget(window)) widget->Enable(enabled);
}

bool IsWindowEnabled(WindowHandle window) {
  wxWindow* widget = Widget(window);
  return widget && widget->IsThisEnabled();
}

ImageListHandle CreateImageList(int width, int height) {
  return new ImageList{std::make_unique<wxImageList>(width, height, true, 0), width, height};
}

bool AddIconFile(ImageListHandle images, const std::string& path) {
  if (!images || !images->list) return false;
  const wxImage icon = ReadIconFile(path, images->width, images->height);
  if (!icon.IsOk()) {
    images->list->Add(EmptyPicture(images->width, images->height));
    return false;
  }
  images->list->Add(FittedBitmap(icon, images->width, images->height));
  return true;
}

bool AddResourceImage(ImageListHandle images, int bitmap_resource) {
  if (!images || !images->list) return false;
  const wxBitmap picture = detail::ResourceBitmapMasked(bitmap_resource, wxColour(0, 255, 255));
  if (!picture.IsOk()) {
    images->list->Add(EmptyPicture(images->width, images->height));
    return false;
  }
  wxImage image = picture.ConvertToImage();
  images->list->Add(FittedBitmap(image, images->width, images->height));
  return true;
}

int GetImageCount(ImageListHandle images) {
  return images && images->list ? images->list->GetImageCount() : 0;
}

void DestroyImageList(ImageListHandle images) { delete images; }

int AddListColumn(WindowHandle list, std::string_view title, int width) {
  ListView* view = AsList(list);
  return view ? view->AddColumn(title, width) : -1;
}

void SetListImageList(WindowHandle list, ImageListHandle images) {
  ListView* view = AsList(list);
  if (!view || !images || !images->list) {
    delete images;
    return;
  }
  view->GiveImages(images);
}

int InsertListItem(WindowHandle list, int position, std::string_view text, int image) {
  ListView* view = AsList(list);
  return view ? view->Insert(position, text, image) : -1;
}

void SetListItemText(WindowHandle list, int item, int column, std::string_view text) {
  if (ListView* view = AsList(list)) view->SetText(item, column, text);
}

std::string GetListItemText(WindowHandle list, int item, int column, std::size_t max_bytes) {
  ListView* view = AsList(list);
  if (!view) return {};
  return std::string(Cp932Prefix(view->Text(item, column), max_bytes));
}

void SetListItemImage(WindowHandle list, int item, int image) {
  if (ListView* view = AsList(list)) view->SetImage(item, image);
}

int GetListItemImage(WindowHandle list, int item) {
  ListView* view = AsList(list);
  return view ? view->Image(item) : -1;
}

int GetListItemCount(WindowHandle list) {
  ListView* view = AsList(list);
  return view ? view->Count() : 0;
}

void DeleteListItem(WindowHandle list, int item) {
  if (ListView* view = AsList(list)) view->Remove(item);
}

void DeleteAllListItems(WindowHandle list) {
  if (ListView* view = AsList(list)) view->RemoveAll();
}

int GetListSelection(WindowHandle list) {
  ListView* view = AsList(list);
  if (!view) return -1;
  return static_cast<int>(view->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

void SelectListItem(WindowHandle list, int item) {
  ListView* view = AsList(list);
  if (!view) return;
  if (item < 0 || item >= view->Count()) {
    const long selected = view->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (selected >= 0) view->SetItemState(selected, 0, wxLIST_STATE_SELECTED);
    return;
  }
  view->SetItemState(item, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                     wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
}

void SetListEventHandler(WindowHandle list, std::function<void(ListEvent)> handler) {
  if (ListView* view = AsList(list)) view->SetHandler(std::move(handler));
}

void ClickListItem(WindowHandle list, int item) {
  ListView* view = AsList(list);
  if (!view) return;
  view->Notify(ListEvent::LeftButtonDown);
  SelectListItem(list, item);
  view->Notify(ListEvent::LeftButtonUp);
}

void PressListKey(WindowHandle list, int virtual_key) {
  ListView* view = AsList(list);
  if (view && virtual_key == VK_DELETE) view->Notify(ListEvent::DeleteKey);
}

void AddTab(WindowHandle tabs, std::string_view text) {
  if (auto* row = dynamic_cast<TabRow*>(Widget(tabs))) row->Add(ToWx(text));
}

int GetSelectedTab(WindowHandle tabs) {
  auto* row = dynamic_cast<TabRow*>(Widget(tabs));
  return row ? row->Selected() : -1;
}

void SelectTab(WindowHandle tabs, int index) {
  if (auto* row = dynamic_cast<TabRow*>(Widget(tabs))) row->Select(index);
}

void ClearDropDownList(WindowHandle list) {
  if (DropDown* box = AsDropDown(list)) box->Clear();
}

void AddDropDownEntry(WindowHandle list, std::string_view text) {
  if (DropDown* box = AsDropDown(list)) box->Add(text);
}

int GetDropDownCount(WindowHandle list) {
  DropDown* box = AsDropDown(list);
  return box ? box->Count() : 0;
}

std::string GetDropDownEntry(WindowHandle list, int index) {
  DropDown* box = AsDropDown(list);
  return box ? box->Entry(index) : std::string();
}

int GetDropDownSelection(WindowHandle list) {
  DropDown* box = AsDropDown(list);
  return box ? box->GetSelection() : -1;
}

void SelectDropDownEntry(WindowHandle list, int index) {
  DropDown* box = AsDropDown(list);
  if (!box) return;
  box->SetSelection(index >= 0 && index < box->Count() ? index : wxNOT_FOUND);
}

}  // namespace platform
