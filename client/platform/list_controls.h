// The list views, tab rows and drop-down lists of template dialogs, made by
// the dialogs' control factory.
#pragma once
#include <wx/wx.h>

#include "client/platform/dialog_template.h"

namespace platform::detail {

wxWindow* MakeListView(wxWindow* parent, int id, const wxPoint& position, const wxSize& size, unsigned style);
wxWindow* MakeTabControl(wxWindow* parent, int id, const wxPoint& position, const wxSize& size);
wxWindow* MakeDropDownList(wxWindow* parent, int id, const wxPoint& position, const wxSize& size,
                           unsigned style);

// The chosen entry's text of a drop-down list; false for other controls.
bool DropDownText(wxWindow* control, std::string* text);

}  // namespace platform::detail
