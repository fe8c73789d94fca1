#include "client/session/connection.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "client/community/items_window.h"
#include "client/community/mailbox.h"
#include "client/platform/files.h"
#include "client/platform/net.h"
#include "client/platform/ui.h"
#include "client/session/program.h"
#include "client/sidewindows/profile_window.h"
#include "client/world/world_state.h"

std::uint32_t PendingBodyLength = 0;

namespace {

// The one socket of the client; kNoSocket while no connection is open, so a
// request after a failed send fails again instead of reaching a descriptor
// that the system has meanwhile handed out for something else.
platform::SocketHandle ServerConnection = platform::kNoSocket;

// The first character of a length prefix whose second character has not
// arrived yet, or -1.
int HeldPrefixByte = -1;

// The part of the current body taken so far.
char BodyBuffer[kMaxMessageLength];
std::uint32_t BodyReceived = 0;

constexpr int kConnectTimeoutMs = 10000;
// How long a send waits for a full socket buffer to take more of a frame.
constexpr int kSendStallMs = 5000;

void ResetReceiver() {
  PendingBodyLength = 0;
  HeldPrefixByte = -1;
  BodyReceived = 0;
}

void CloseSocket() {
  platform::TcpClose(ServerConnection);
  ServerConnection = platform::kNoSocket;
  ResetReceiver();
}

// The frame length written by a prefix, read as the desktop's hexadecimal
// reader ("%x") reads the two characters: leading blanks and a sign are
// taken, reading stops at the first character that is no hexadecimal digit.
// -1 when they hold no number, or one above 256 (a minus sign makes any
// digit a huge unsigned value).
int PrefixValue(const char prefix[2]) {
  const char text[3] = {prefix[0], prefix[1], '\0'};
  unsigned value = 0;
  if (std::sscanf(text, "%x", &value) != 1 || value > 256) return -1;
  return static_cast<int>(value);
}

bool ResolveHost(const char* host, std::uint32_t* address) {
  return platform::ParseDottedIpv4(host, address) || platform::ResolveIpv4(host, address);
}

// Sends the whole frame, waiting a bounded time whenever the socket takes
// only part of it.
bool SendAll(const char* data, std::size_t length) {
  std::size_t sent = 0;
  while (sent < length) {
    long taken = platform::TcpSend(ServerConnection, data + sent, length - sent);
    if (taken < 0) return false;
    if (taken == 0 && !platform::TcpWaitWritable(ServerConnection, kSendStallMs)) return false;
    sent += static_cast<std::size_t>(taken);
  }
  return true;
}

// Awaiting a prefix: reads what is missing of the two characters.
int ReceivePrefix() {
  char prefix[2];
  std::size_t have = 0;
  if (HeldPrefixByte >= 0) prefix[have++] = static_cast<char>(HeldPrefixByte);
  long got = platform::TcpRecv(ServerConnection, prefix + have, sizeof prefix - have);
  if (got == 0) return 0;
  if (got < 0) return -1;
  have += static_cast<std::size_t>(got);
  if (have < sizeof prefix) {
    HeldPrefixByte = static_cast<unsigned char>(prefix[0]);
    return -1;
  }
  HeldPrefixByte = -1;
  // A malformed prefix, and one of 0 or 1 that announces less than itself,
  // costs its two bytes; the next two are read as a prefix. A prefix of 2
  // announces an empty message and delivers nothing.
  int frame_length = PrefixValue(prefix);
  if (frame_length >= 2) PendingBodyLength = static_cast<std::uint32_t>(frame_length - 2);
  return -1;
}

// Awaiting a body: takes what has arrived of it and delivers it once it is
// whole. Reading a body piece by piece, instead of waiting until all of it
// is queued, keeps the socket's receive memory from filling up with the
// partly read segments of a flood, which would stall the connection for
// good with the rest of the body unable to arrive.
int ReceiveBody(char* buffer) {
  long got = platform::TcpRecv(ServerConnection, BodyBuffer + BodyReceived, PendingBodyLength);
  if (got == 0) return 0;  // the server closed before the body was complete
  if (got < 0) return -1;
  BodyReceived += static_cast<std::uint32_t>(got);
  PendingBodyLength -= static_cast<std::uint32_t>(got);
  if (PendingBodyLength > 0) return -1;
  const std::uint32_t length = BodyReceived;
  std::memcpy(buffer, BodyBuffer, length);
  buffer[length] = '\0';
  BodyReceived = 0;
  return static_cast<int>(length);
}

}  // namespace

int ConnectServer(const char* host, int port) {
  ResetReceiver();
  ServerConnection = platform::TcpSocketCreate();
  if (ServerConnection == platform::kNoSocket) {
    platform::MessageBox(nullptr, "サーバ接続に失敗", "socket", platform::MB_OK);
    return -1;
  }
  std::uint32_t address = 0;
  if (!ResolveHost(host, &address)) {
    platform::MessageBox(nullptr, "Error: ホストアドレス取得失敗\n", "Socket err",
                         platform::MB_ICONHAND);
    CloseSocket();
    return -1;
  }
  if (!platform::TcpConnect(ServerConnection, address, port, kConnectTimeoutMs)) {
    platform::MessageBox(nullptr, "サーバ接続に失敗", "connect", platform::MB_OK);
    return -1;
  }
  platform::TcpSetNonBlocking(ServerConnection);
  return 0;
}

int SendRequest(const char* text) {
  platform::KillTimer(MainWindow, kKeepAliveTimer);
  std::size_t length = std::strlen(text);
  if (length > kMaxMessageLength) length = kMaxMessageLength;  // keeps the prefix two digits

  char frame[2 + kMaxMessageLength + 1];
  std::snprintf(frame, sizeof frame, "%02x", static_cast<unsigned>(length + 2));
  std::memcpy(frame + 2, text, length);

  if (!SendAll(frame, length + 2)) {
    platform::MessageBox(nullptr, "Error: サーバへの送信失敗\n", "Socket err",
                         platform::MB_ICONHAND);
    platform::TcpShutdown(ServerConnection);
    CloseSocket();
    return -1;
  }
  platform::SetTimer(MainWindow, kKeepAliveTimer, kKeepAlivePeriodMs);
  return 0;
}

int ReceiveMessage(char* buffer) {
  return PendingBodyLength == 0 ? ReceivePrefix() : ReceiveBody(buffer);
}

void CloseConnection() { CloseSocket(); }

int SendKeepAlive() { return SendRequest("keepAlive"); }

void PlayChime(char letter) {
  const char* sound = letter == 'a' ? "CHIME-1.WAV" : letter == 'd' ? "CHIME-3.WAV" : nullptr;
  if (sound != nullptr) platform::PlayWaveAsync(InstallDir + sound);
}

void DispatchServerMessage(char* text) {
  PlayChime(text[0]);
  char* fields = text + 1;
  switch (text[0]) {
    case 'a': HandleArrivalMessage(fields); break;
    case 'c': HandleChatMessage(fields); break;
    case 'd': HandleDepartureMessage(fields); break;
    case 'e': HandleAppearanceMessage(fields); break;
    case 'h': HandlePostcardMessage(fields); break;
    case 'i': HandleItemsMessage(fields); break;
    case 'm': HandleMoveMessage(fields); break;
    case 'o': HandleTickerMessage(fields); break;
    case 'r': HandleProfileMessage(fields); break;
    default: break;  // unknown letters, upper case included, are ignored
  }
}
