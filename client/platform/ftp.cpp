#include "client/platform/ftp.h"

#include <curl/curl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace platform {

struct FtpSession::Impl {
  CURL* easy = nullptr;
  std::string base_url;  // "ftp://host:port/"
  std::string user;
  std::string password;
  FtpStatusCallback callback = nullptr;
  bool passive = false;

  // The control connection: its socket once curl opened it, and whether
  // the server has greeted us on it.
  curl_socket_t control_socket = CURL_SOCKET_BAD;
  bool connected = false;

  // Where the data of the running request goes.
  std::string* listing = nullptr;
  std::FILE* file = nullptr;
  std::uint64_t received = 0;

  void Report(int status_code, std::uint32_t byte_count = 0) const {
    if (callback) callback(status_code, byte_count);
  }
};

namespace {

using Impl = FtpSession::Impl;

// Every request may take this long to reach the server; a transfer that
// moves less than one byte per second for a minute is given up.
constexpr long kConnectTimeoutSeconds = 20;
constexpr long kStallSeconds = 60;
// How long an active-mode request waits for the server to connect back
// before it is retried in passive mode.
constexpr long kAcceptTimeoutMs = 10000;
constexpr long kCannotOpenDataConnection = 425;

struct CurlGlobal {
  CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  ~CurlGlobal() { curl_global_cleanup(); }
};

void EnsureCurlGlobal() { static CurlGlobal global; }

// Keeps the bytes that may stand in a URL path as they are.
std::string EscapePath(std::string_view path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (char c : path) {
    const unsigned char byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                       (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      escaped += c;
    } else {
      escaped += '%';
      escaped += kHex[byte >> 4];
      escaped += kHex[byte & 0x0F];
    }
  }
  return escaped;
}

// The first socket curl opens while no control connection exists is the
// control connection; later ones are data connections and go unreported.
curl_socket_t OpenSocket(void* client, curlsocktype purpose, curl_sockaddr* address) {
  auto* impl = static_cast<Impl*>(client);
  const bool control = purpose == CURLSOCKTYPE_IPCXN && impl->control_socket == CURL_SOCKET_BAD;
  if (control) {
    impl->Report(kFtpNameResolved);
    impl->Report(kFtpConnectingToServer);
  }
  const curl_socket_t sock = socket(address->family, address->socktype, address->protocol);
  if (control && sock != CURL_SOCKET_BAD) {
    impl->control_socket = sock;
    impl->connected = false;
  }
  return sock;
}

int CloseSocket(void* client, curl_socket_t sock) {
  auto* impl = static_cast<Impl*>(client);
  if (sock != impl->control_socket) return close(sock);
  const bool was_connected = impl->connected;
  if (was_connected) impl->Report(kFtpClosingConnection);
  const int result = close(sock);
  impl->control_socket = CURL_SOCKET_BAD;
  impl->connected = false;
  if (was_connected) impl->Report(kFtpConnectionClosed);
  return result;
}

// Commands out and replies in on the control connection. The first reply
// (the server's greeting) shows that the connection stands.
int Trace(CURL*, curl_infotype type, char*, std::size_t size, void* client) {
  auto* impl = static_cast<Impl*>(client);
  const auto count = static_cast<std::uint32_t>(size);
  if (type == CURLINFO_HEADER_OUT) {
    impl->Report(kFtpRequestSent, count);
  } else if (type == CURLINFO_HEADER_IN) {
    if (!impl->connected && impl->control_socket != CURL_SOCKET_BAD) {
      impl->connected = true;
      impl->Report(kFtpConnectedToServer);
    }
    impl->Report(kFtpResponseReceived, count);
  }
  return 0;
}

std::size_t WriteListing(char* data, std::size_t size, std::size_t count, void* client) {
  auto* impl = static_cast<Impl*>(client);
  const std::size_t bytes = size * count;
  impl->listing->append(data, bytes);
  impl->Report(kFtpResponseReceived, static_cast<std::uint32_t>(bytes));
  return bytes;
}

std::size_t WriteFile(char* data, std::size_t size, std::size_t count, void* client) {
  auto* impl = static_cast<Impl*>(client);
  const std::size_t bytes = size * count;
  const std::size_t written = std::fwrite(data, 1, bytes, impl->file);
  impl->received += written;
  impl->Report(kFtpResponseReceived, static_cast<std::uint32_t>(bytes));
  return written;  // short: curl ends the transfer with a write error
}

void UseDataMode(CURL* easy, bool passive) {
  // "-": listen on the address of the control connection's own end.
  curl_easy_setopt(easy, CURLOPT_FTPPORT, passive ? nullptr : "-");
}

bool Configure(Impl* impl) {
  CURL* easy = impl->easy;
  bool ok = curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, OpenSocket) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, impl) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, CloseSocket) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, impl) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_WRITEDATA, impl) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kStallSeconds) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_ACCEPTTIMEOUT_MS, kAcceptTimeoutMs) == CURLE_OK;
  // Without a user name curl logs in as "anonymous".
  if (!impl->user.empty()) {
    ok = ok && curl_easy_setopt(easy, CURLOPT_USERNAME, impl->user.c_str()) == CURLE_OK;
    ok = ok && curl_easy_setopt(easy, CURLOPT_PASSWORD, impl->password.c_str()) == CURLE_OK;
  }
  UseDataMode(easy, impl->passive);
  return ok;
}

// Failures that mean the data connection could not be made in active mode.
bool ActiveModeFailed(CURL* easy, CURLcode code) {
  if (code == CURLE_FTP_PORT_FAILED || code == CURLE_FTP_ACCEPT_FAILED || code == CURLE_FTP_ACCEPT_TIMEOUT) {
    return true;
  }
  long reply = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &reply);
  return code != CURLE_OK && reply == kCannotOpenDataConnection;
}

// Runs one request; restart() discards what a failed active-mode attempt
// delivered before the passive retry.
template <typename Restart>
CURLcode Perform(Impl* impl, std::string_view path, Restart restart) {
  if (!impl->easy) return CURLE_FAILED_INIT;
  const std::string url = impl->base_url + EscapePath(path);
  curl_easy_setopt(impl->easy, CURLOPT_URL, url.c_str());
  if (impl->control_socket == CURL_SOCKET_BAD) impl->Report(kFtpResolvingName);
  CURLcode code = curl_easy_perform(impl->easy);
  if (impl->passive || !ActiveModeFailed(impl->easy, code)) return code;
  impl->passive = true;
  UseDataMode(impl->easy, true);
  if (!restart()) return CURLE_WRITE_ERROR;
  if (impl->control_socket == CURL_SOCKET_BAD) impl->Report(kFtpResolvingName);
  return curl_easy_perform(impl->easy);
}

bool IsDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A decimal size; false when it does not fit 64 bits.
bool ReadSize(std::string_view text, std::uint64_t* size) {
  if (!IsDigits(text)) return false;
  std::uint64_t value = 0;
  for (char c : text) {
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  *size = value;
  return true;
}

bool IsMonth(std::string_view word) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (const char* month : kMonths) {
    if (word.size() == 3 && (word[0] | 0x20) == (month[0] | 0x20) && word.substr(1) == month + 1) return true;
  }
  return false;
}

struct Word {
  std::string_view text;
  std::size_t end;  // offset just past the word in the line
};

// Splits the line at blanks into up to `limit` words.
std::vector<Word> Words(std::string_view line, std::size_t limit) {
  std::vector<Word> words;
  std::size_t at = 0;
  while (words.size() < limit) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size()) break;
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
    words.push_back({line.substr(start, at - start), at});
  }
  return words;
}

// The text after the word, without the blanks in between.
std::string_view RestAfter(std::string_view line, const Word& word) {
  std::size_t at = word.end;
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  return line.substr(at);
}

// "-rw-r--r-- 1 owner group 1234 Jan 02 12:00 name": the size is the number
// just before the month, the name what follows the time or year. The group
// column is missing on some servers.
bool ParseUnixLine(std::string_view line, FtpEntry* entry) {
  const std::vector<Word> words = Words(line, 9);
  for (std::size_t i = 2; i + 3 < words.size(); ++i) {
    if (!IsMonth(words[i + 1].text) || !ReadSize(words[i].text, &entry->size)) continue;
    std::string_view name = RestAfter(line, words[i + 3]);
    if (line[0] == 'l') name = name.substr(0, name.find(" -> "));
    if (name.empty()) return false;
    entry->name = std::string(name);
    return true;
  }
  return false;
}

// "01-15-24  10:30AM  1234 name" or "... <DIR> name".
bool ParseDosLine(std::string_view line, FtpEntry* entry) {
  const std::vector<Word> words = Words(line, 3);
  if (words.size() < 3 || words[0].text.find('-') == std::string_view::npos) return false;
  const std::string_view time = words[1].text;
  if (time.size() < 3 || (time.substr(time.size() - 2) != "AM" && time.substr(time.size() - 2) != "PM")) {
    return false;
  }
  if (words[2].text == "<DIR>") {
    entry->size = 0;
  } else if (!ReadSize(words[2].text, &entry->size)) {
    return false;
  }
  const std::string_view name = RestAfter(line, words[2]);
  if (name.empty()) return false;
  entry->name = std::string(name);
  return true;
}

}  // namespace

bool ParseFtpListLine(std::string_view line, FtpEntry* entry) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (line.empty()) return false;
  if (line[0] >= '0' && line[0] <= '9') return ParseDosLine(line, entry);
  return ParseUnixLine(line, entry);
}

FtpSession::FtpSession(std::string_view host, int port, std::string_view user, std::string_view password)
    : impl_(std::make_unique<Impl>()) {
  EnsureCurlGlobal();
  impl_->base_url = "ftp://" + std::string(host) + ":" + std::to_string(port) + "/";
  impl_->user = std::string(user);
  impl_->password = std::string(password);
  impl_->easy = curl_easy_init();
  if (impl_->easy && !Configure(impl_.get())) {
    curl_easy_cleanup(impl_->easy);
    impl_->easy = nullptr;
  }
}

FtpSession::~FtpSession() { Close(); }

bool FtpSession::IsOpen() const { return impl_->easy != nullptr; }

bool FtpSession::SetStatusCallback(FtpStatusCallback callback) {
  if (!impl_->easy) return false;
  if (curl_easy_setopt(impl_->easy, CURLOPT_DEBUGFUNCTION, Trace) != CURLE_OK ||
      curl_easy_setopt(impl_->easy, CURLOPT_DEBUGDATA, impl_.get()) != CURLE_OK ||
      curl_easy_setopt(impl_->easy, CURLOPT_VERBOSE, 1L) != CURLE_OK) {
    return false;
  }
  impl_->callback = callback;
  return true;
}

bool FtpSession::ListFolder(std::string_view folder, std::vector<FtpEntry>* entries) {
  entries->clear();
  if (!impl_->easy) return false;
  std::string listing;
  impl_->listing = &listing;
  curl_easy_setopt(impl_->easy, CURLOPT_WRITEFUNCTION, WriteListing);
  std::string path(folder);
  if (path.empty() || path.back() != '/') path += '/';  // a trailing "/" asks for the listing
  const CURLcode code = Perform(impl_.get(), path, [&] {
    listing.clear();
    return true;
  });
  impl_->listing = nullptr;
  if (code != CURLE_OK) return false;
  std::size_t start = 0;
  while (start < listing.size()) {
    std::size_t end = listing.find('\n', start);
    if (end == std::string::npos) end = listing.size();
    FtpEntry entry;
    if (ParseFtpListLine(std::string_view(listing).substr(start, end - start), &entry)) {
      entries->push_back(std::move(entry));
    }
    start = end + 1;
  }
  return true;
}

bool FtpSession::GetFile(std::string_view remote_path, const std::string& local_path, std::uint64_t expected_size,
                         unsigned permissions) {
  if (!impl_->easy) return false;
  std::string temporary = local_path + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  std::FILE* file = fchmod(fd, permissions) == 0 ? fdopen(fd, "wb") : nullptr;
  if (!file) {
    close(fd);
    unlink(temporary.c_str());
    return false;
  }
  impl_->file = file;
  impl_->received = 0;
  curl_easy_setopt(impl_->easy, CURLOPT_WRITEFUNCTION, WriteFile);
  const CURLcode code = Perform(impl_.get(), remote_path, [&] {
    impl_->received = 0;
    return std::fflush(file) == 0 && ftruncate(fd, 0) == 0 && std::fseek(file, 0, SEEK_SET) == 0;
  });
  impl_->file = nullptr;
  const bool complete = code == CURLE_OK && (expected_size == 0 || impl_->received == expected_size);
  const bool closed = std::fclose(file) == 0;
  if (complete && closed && std::rename(temporary.c_str(), local_path.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

void FtpSession::Close() {
  if (!impl_->easy) return;
  curl_easy_cleanup(impl_->easy);  // says QUIT on an open control connection
  impl_->easy = nullptr;
}

}  // namespace platform
