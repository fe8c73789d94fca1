#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return posyvaled::RunCommandLine(args, std::cout, std::cerr);
}
