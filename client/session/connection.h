// The connection to the game server: opening and closing it, the framing of
// every message in both directions, the keep-alive request and the routing
// of incoming messages to the areas that handle them.
//
// A frame is a two-digit hexadecimal length (counting the two digits too,
// written in lower case, read in either case) followed directly by the
// message text, without terminator: "0bkeepAlive".
#pragma once
#include <cstdint>

// The longest message text a frame carries, and the buffer that holds any
// received message with its terminating zero byte.
inline constexpr int kMaxMessageLength = 253;
inline constexpr int kReceiveBufferSize = kMaxMessageLength + 1;

// The window timer of the main window that sends "keepAlive" after this
// long without any other request.
inline constexpr int kKeepAliveTimer = 1;
inline constexpr unsigned kKeepAlivePeriodMs = 15000;

// The number of body bytes announced by the last length prefix and not yet
// taken; 0 while the next bytes on the connection are a prefix.
extern std::uint32_t PendingBodyLength;

// Opens the connection to host (a dotted IPv4 address or a host name) and
// port, waiting at most 10 seconds. 0 when connected; -1 when it failed, after
// the failure has been shown in a message box.
int ConnectServer(const char* host, int port);

// Sends one message (zero-terminated, at most kMaxMessageLength bytes) and
// restarts the keep-alive count. 0 when sent; -1 when the send failed: the
// failure has been shown and the connection is closed.
int SendRequest(const char* text);

// One step of the receiver; reads from the connection at most once and never
// blocks. Greater than 0: a complete message of that many bytes is in buffer
// (which must hold kReceiveBufferSize bytes), followed by a zero byte. 0: the
// server has closed the connection. -1: no complete message yet.
int ReceiveMessage(char* buffer);

void CloseConnection();

// Sends "keepAlive"; called on every tick of the keep-alive timer.
int SendKeepAlive();

// Plays the chime of a message type: arrivals and departures have one.
void PlayChime(char letter);

// Routes a received message (zero-terminated) by its first letter to its
// handler, after its chime. Handlers get the text after the letter; the chat
// handler leaves it unchanged, since the chat log reads the same buffer
// afterwards.
void DispatchServerMessage(char* text);
