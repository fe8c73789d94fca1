// The command text that the client hands to the page viewer:
// "width@height@caption@URL\n", read into its four fields.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The fields of one command text, as the viewer reads them.
struct ViewerCommandLine {
  int width = 0;
  int height = 0;
  std::string caption;  // "-" asks for the built-in caption
  std::string url;      // up to the next "@" or the end, line feed included
};

// Reads a decimal integer the way the client writes and reads all numbers:
// leading blanks and a sign allowed, reading stops at the first non-digit,
// no digits give 0. Values beyond the 32-bit range stop at its ends.
int ReadLeadingInteger(std::string_view text);

// Splits the text at "@" (a run of "@" is one separator, a leading "@" is
// skipped) and takes width, height, caption and URL. Without four fields
// there is nothing to show.
std::optional<ViewerCommandLine> ParseViewerCommandLine(std::string_view text);

// The program's argument vector: argument 0 and argument 1 both carry the
// command text; argument 1 is read, after the blanks and control bytes that
// may stand before it. No argument 1 means nothing to show.
std::optional<ViewerCommandLine> ParseViewerArguments(int argc, const char* const argv[]);

// Whether the caption field asks to keep the built-in caption.
bool KeepsBuiltInCaption(std::string_view caption);

// The URL as the web view takes it: the command text's closing line feed
// is no part of the address.
std::string NavigableUrl(std::string_view url);
