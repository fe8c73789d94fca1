// IPv4 TCP stream sockets.
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {

using SocketHandle = int;
inline constexpr SocketHandle kNoSocket = -1;

// A new IPv4 TCP socket, or kNoSocket.
SocketHandle TcpSocketCreate();

// Parses a dotted IPv4 address ("127.0.0.1"); the address comes back in
// network byte order.
bool ParseDottedIpv4(const char* host, std::uint32_t* address);

// Resolves a host name to its first IPv4 address (network byte order).
bool ResolveIpv4(const char* host, std::uint32_t* address);

// Connects the socket, waiting at most timeout_ms. The socket is left
// blocking; false on refusal, unreachable host or time-out.
bool TcpConnect(SocketHandle socket, std::uint32_t address, int port, int timeout_ms);

bool TcpSetNonBlocking(SocketHandle socket);

// Sends what the socket takes right now: the byte count, 0 when it takes
// nothing without blocking, -1 on failure.
long TcpSend(SocketHandle socket, const char* data, std::size_t length);

// Waits up to timeout_ms until the socket can take more data.
bool TcpWaitWritable(SocketHandle socket, int timeout_ms);

// Reads what is waiting: the byte count, 0 when the peer closed the
// connection in order, -1 when nothing is waiting or the read failed.
long TcpRecv(SocketHandle socket, char* buffer, std::size_t capacity);

void TcpShutdown(SocketHandle socket);
void TcpClose(SocketHandle socket);

}  // namespace platform
