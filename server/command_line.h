#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace posyvaled {

// Runs the server program with its arguments (without the program name):
//   --db PATH [--address A] [--port P] [--newest-version N]
//       [--welcome-ticker TEXT] [--ticker-stdin]
//       serve clients until SIGTERM or SIGINT; TEXT is sent as a ticker to
//       each user after login; with --ticker-stdin every line of standard
//       input is sent as a ticker to everyone logged in
//   --db PATH add-account LOGINID PASSWORD
//       [--handle NAME --appearance N --x X --y Y --map M] [--no-starter-items]
//       add an account and print its user number; the account gets a few
//       starter items unless --no-starter-items is given
//   --db PATH add-item USERNUMBER ITEMCODE
//       give the user an item and print its item id
//   --db PATH set-profile USERNUMBER TEXT
//   --db PATH set-points USERNUMBER N
//   --db PATH set-health USERNUMBER N
//       set the user's profile text (at most 100 bytes of CP932, no comma),
//       points or health (shown to the user divided by 100)
// Arguments are UTF-8; texts are stored as CP932. Returns the exit code.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace posyvaled
