// The page viewer `Posyvales`: shows one web page in a window whose size,
// caption and address the client passes on the command line.
#include <wx/app.h>

#include <cstdio>
#include <optional>

#include "viewer/command_line.h"
#include "viewer/viewer_window.h"

namespace {

// The command read from the argument vector before the toolkit starts.
std::optional<ViewerCommandLine> Command;

class ViewerApp : public wxApp {
 public:
  bool OnInit() override { return true; }

  // The dialog runs modally and its end is the program's end; the
  // application runs no event loop of its own.
  int OnRun() override {
    ViewerDialog dialog(*Command);
    if (!dialog.HasBrowser()) {
      std::fputs("Posyvales: no web view can be created\n", stderr);
      return 1;
    }
    dialog.ShowModal();
    return 0;
  }
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(ViewerApp);

int main(int argc, char* argv[]) {
  Command = ParseViewerArguments(argc, argv);
  // Without four fields there is nothing to show: no window, no message.
  if (!Command) return 0;
  // The command text is no option of the toolkit's; it starts with the
  // program's name only.
  char program_name[] = "Posyvales";
  char* toolkit_argv[] = {program_name, nullptr};
  int toolkit_argc = 1;
  return wxEntry(toolkit_argc, toolkit_argv);
}
