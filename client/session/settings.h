// The settings file "Posyvale.ini" in the install folder: the last accepted
// login ID and password, in section "Posyvale".
//
// The file follows the desktop ini conventions: "[section]" headers and
// "key=value" lines, CR LF or LF line ends, keys and sections matched without
// regard to case, blanks around keys and values ignored. Values are CP932
// bytes as they are.
#pragma once
#include <string>
#include <string_view>

// The longest value read from the file, and the longest decoded password.
inline constexpr std::size_t kMaxSettingLength = 127;
inline constexpr std::size_t kMaxPasswordLength = 31;

// Forms the file's path from InstallDir; done once at start.
void SetupSettingsPath();
const std::string& SettingsPath();

// The value of key in section "Posyvale", at most kMaxSettingLength bytes;
// empty when the file, the section or the key is missing.
std::string ReadSetting(const char* key);

// Sets key in section "Posyvale", creating the file or the section when
// missing and keeping everything else in the file as it was. A failed write
// goes unnoticed.
void WriteSetting(const char* key, std::string_view value);

// The password kept under "PASS", decoded.
std::string ReadStoredPassword();
// Keeps the password under "PASS" in its stored form.
void WriteStoredPassword(std::string_view password);

// The stored form of a password: two characters per byte, the first holding
// the byte's high four bits, the second its low four bits, each under random
// filler bits of 2 to 6, so every character lies between 0x20 and 0x6F.
std::string EncodePassword(std::string_view password);

// The password of a stored form; only the low four bits of each character
// count. An odd last character counts as a high half with a low half of 0.
std::string DecodePassword(std::string_view stored);

// The next filler value in lowest..highest (always 2..6): never the value it
// returned last, and even after a 5 or a 6.
int NextMaskNibble(int lowest, int highest);
