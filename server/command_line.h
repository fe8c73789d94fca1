#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace posyvaled {

// Runs the server program with its arguments (without the program name):
//   --db PATH [--address A] [--port P] [--newest-version N]
//       serve clients until SIGTERM or SIGINT
//   --db PATH add-account LOGINID PASSWORD
//       [--handle NAME --appearance N --x X --y Y --map M]
//       add an account and print its user number
// Arguments are UTF-8; texts are stored as CP932. Returns the exit code.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace posyvaled
