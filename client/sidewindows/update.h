// The automatic update: after a login that names a newer client version,
// the package of that version is fetched by FTP from the service host into
// the install folder and started.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "client/platform/ui.h"

inline constexpr int kUpdateFtpPort = 21;
inline constexpr char kUpdateFolder[] = "pub/";
// Newest-version texts longer than this are not taken as a version.
inline constexpr std::size_t kMaxVersionDigits = 9;

// The progress window, once shown; it stays until the program ends.
extern platform::WindowHandle UpdateProgressWindow;
// Size of the package as listed by the server; 0 until a listing matched.
extern std::uint32_t UpdatePackageSize;
// Bytes sent and received during the update, a running total.
extern std::int64_t UpdateReceivedCount;

// The client's own version as a whole number: "Ver 1.6" gives 16.
int OwnVersionNumber();

// Reads the newest-version text of the login answer: only a plain decimal
// number of 1 to kMaxVersionDigits digits is a version, since it becomes
// part of a file name.
bool ReadNewestVersion(std::string_view text, int* version);

// Called once after a successful login with the newest-version text.
// Returns 1 when a newer package was downloaded (the client must end),
// otherwise 0. An older or equal version deletes a stale package of that
// version from the install folder.
int CheckForUpdate(std::string_view newest_version);

// Fetches the package into local_path: 1 downloaded; 0 failed (the user has
// been told); -2 the listed package is 4 GiB or larger (nothing shown).
int DownloadUpdate(const std::string& local_path);

// The status callback of the FTP session: status texts and progress.
void UpdateStatusCallback(int status_code, std::uint32_t byte_count);

// The status line of the progress window.
void ShowUpdateStatus(std::string_view text);

// "counts,percentage": the part before the first comma goes to the byte
// count line, the part after it to the percentage line.
void ShowUpdateProgress(std::string_view text);
