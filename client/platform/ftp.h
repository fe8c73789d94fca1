// A synchronous FTP session with a status callback: the folder listing and
// binary downloads to a file, on one control connection.
//
// The session connects on its first request (listing or download) and
// logs in; an empty user name logs in anonymously. Every request blocks
// until it is done; the status callback runs on the calling thread, inside
// the request.
//
// Data connections: active mode first (the server connects back to us, as
// a plain FTP client does). When active mode cannot work - the server
// refuses the PORT/EPRT command, or answers that it cannot open the data
// connection, or never connects back, as happens behind NAT - the request
// is repeated once in passive mode, and the session stays passive from then
// on.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Status codes reported to the callback, in the order they happen.
inline constexpr int kFtpResolvingName = 10;
inline constexpr int kFtpNameResolved = 11;
inline constexpr int kFtpConnectingToServer = 20;
inline constexpr int kFtpConnectedToServer = 21;
inline constexpr int kFtpRequestSent = 31;        // byte_count: bytes of the command sent
inline constexpr int kFtpResponseReceived = 41;   // byte_count: bytes of a reply or of data received
inline constexpr int kFtpClosingConnection = 50;
inline constexpr int kFtpConnectionClosed = 51;

// byte_count is 0 for every code except 31 and 41.
using FtpStatusCallback = void (*)(int status_code, std::uint32_t byte_count);

struct FtpEntry {
  std::string name;    // as the server lists it
  std::uint64_t size;  // bytes; 0 for folders and for lines without a size
};

class FtpSession {
 public:
  // Prepares a session for host:port; nothing is sent yet.
  FtpSession(std::string_view host, int port, std::string_view user, std::string_view password);
  ~FtpSession();  // Close()
  FtpSession(const FtpSession&) = delete;
  FtpSession& operator=(const FtpSession&) = delete;

  // False when the session could not be set up; every request then fails.
  bool IsOpen() const;

  // Registers the status callback; false when it cannot be registered.
  bool SetStatusCallback(FtpStatusCallback callback);

  // Lists a folder ("pub/", relative to the login folder). Unix and DOS
  // style listing lines are understood; other lines are skipped.
  bool ListFolder(std::string_view folder, std::vector<FtpEntry>* entries);

  // Downloads remote_path in binary mode to local_path, replacing a file
  // that is there. The bytes go to a temporary file beside local_path,
  // which gets the given permission bits and is renamed to local_path only
  // when the transfer is complete: when the server ended it normally and,
  // with an expected_size other than 0, exactly that many bytes arrived.
  // Otherwise the temporary file is removed and local_path is untouched.
  bool GetFile(std::string_view remote_path, const std::string& local_path, std::uint64_t expected_size,
               unsigned permissions);

  // Closes the control connection (reporting 50 and 51 if it was open) and
  // ends the session: later requests fail.
  void Close();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Parses one line of a folder listing; false for lines that name no entry
// (totals, blank lines, unknown formats).
bool ParseFtpListLine(std::string_view line, FtpEntry* entry);

}  // namespace platform
