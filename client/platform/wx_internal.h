// Shared pieces of the toolkit side of the platform layer.
#pragma once
#include <wx/wx.h>

#include <string_view>

#include "client/platform/ui.h"

namespace platform::detail {

inline wxWindow* Widget(WindowHandle handle) { return reinterpret_cast<wxWindow*>(handle); }
inline WindowHandle Handle(wxWindow* widget) { return reinterpret_cast<WindowHandle>(widget); }

// CP932 bytes to a toolkit string and back.
wxString ToWx(std::string_view cp932);
std::string FromWx(const wxString& text);

// A picture resource as a bitmap; with a mask colour, pixels of that colour
// become transparent.
wxBitmap ResourceBitmap(int id);
wxBitmap ResourceBitmapMasked(int id, const wxColour& mask);

// Calls the test answerer, if one is set, once the modal window runs.
void AnnounceModal(wxDialog* dialog, const ModalInfo& info);

}  // namespace platform::detail
