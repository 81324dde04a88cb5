// Socket calls of the transport: resolving, connecting, sending, receiving, waiting.
#include "http/winsock_transport_win.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <climits>

namespace {

[[noreturn]] void ThrowLastSocketError() { throw ESocketError(::WSAGetLastError()); }

// Starts the socket library the first time a transport is made; never stopped, since a
// download may still be running while the process ends.
void StartWinsock() {
  static const int error = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data);
  }();
  if (error != 0) throw ESocketError(error);
}

}  // namespace

TWinsockTransport::TWinsockTransport() { StartWinsock(); }

std::string TWinsockTransport::Resolve(const std::string& name) {
  addrinfo hints = {};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* result = nullptr;
  if (const int error = ::getaddrinfo(name.c_str(), nullptr, &hints, &result); error != 0) throw ESocketError(error);
  char text[INET_ADDRSTRLEN] = {};
  const auto* address = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
  const bool ok = inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr;
  const int error = ::WSAGetLastError();
  ::freeaddrinfo(result);
  if (!ok) throw ESocketError(error);
  return text;
}

void TWinsockTransport::Connect(const std::string& address, std::uint16_t port, TIPVersion version) {
  Close();
  sockaddr_storage storage = {};
  int length = 0;
  if (version == TIPVersion::IPv6) {
    auto& a = reinterpret_cast<sockaddr_in6&>(storage);
    a.sin6_family = AF_INET6;
    a.sin6_port = ::htons(port);
    length = sizeof a;
    if (inet_pton(AF_INET6, address.c_str(), &a.sin6_addr) != 1) throw ESocketError(WSAEINVAL);
  } else {
    auto& a = reinterpret_cast<sockaddr_in&>(storage);
    a.sin_family = AF_INET;
    a.sin_port = ::htons(port);
    length = sizeof a;
    if (inet_pton(AF_INET, address.c_str(), &a.sin_addr) != 1) throw ESocketError(WSAEINVAL);
  }
  TUniqueSocket s(::socket(storage.ss_family, SOCK_STREAM, IPPROTO_TCP));
  if (!s) ThrowLastSocketError();
  if (::connect(s.Get(), reinterpret_cast<const sockaddr*>(&storage), length) == SOCKET_ERROR) ThrowLastSocketError();
  socket_ = std::move(s);
}

void TWinsockTransport::Send(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const int n = ::send(socket_.Get(), reinterpret_cast<const char*>(bytes.data()),
                         static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX)), 0);
    if (n == SOCKET_ERROR) ThrowLastSocketError();
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
}

std::size_t TWinsockTransport::Receive(std::span<std::uint8_t> buffer) {
  const int n = ::recv(socket_.Get(), reinterpret_cast<char*>(buffer.data()),
                       static_cast<int>(std::min<std::size_t>(buffer.size(), INT_MAX)), 0);
  if (n == SOCKET_ERROR) ThrowLastSocketError();
  return static_cast<std::size_t>(n);
}

bool TWinsockTransport::WaitReadable(int milliseconds) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(socket_.Get(), &readable);
  timeval wait = {milliseconds / 1000, (milliseconds % 1000) * 1000};
  const int n = ::select(0, &readable, nullptr, nullptr, &wait);
  if (n == SOCKET_ERROR) ThrowLastSocketError();
  return n > 0;
}

void TWinsockTransport::ShutdownSend() noexcept {
  if (socket_) ::shutdown(socket_.Get(), SD_SEND);
}

void TWinsockTransport::Close() noexcept { socket_.Reset(); }
