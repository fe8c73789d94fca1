// The page viewer: a window that shows one web page of the service.
#include <wx/wx.h>

namespace {

// The built-in caption, CP932 like every text of the programs.
constexpr char kDefaultCaption[] = "★★★　お知らせ　★★★";

wxString FromCp932(const char* text) { return wxString(text, wxCSConv("CP932")); }

class ViewerApp : public wxApp {
 public:
  bool OnInit() override {
    auto* frame = new wxFrame(nullptr, wxID_ANY, FromCp932(kDefaultCaption), wxPoint(20, 20), wxSize(450, 320));
    frame->Show();
    return true;
  }
};

}  // namespace

wxIMPLEMENT_APP(ViewerApp);
