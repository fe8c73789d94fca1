// Small file and shell helpers shared by the tests.
#pragma once
#include <string>
#include <vector>

namespace testsupport {

// The whole file, or "" when it cannot be read.
std::string ReadFile(const std::string& path);
// The names in a folder, without "." and "..".
std::vector<std::string> FolderNames(const std::string& folder);
// Runs a shell command and returns its standard output.
std::string RunShell(const std::string& command);

}  // namespace testsupport
