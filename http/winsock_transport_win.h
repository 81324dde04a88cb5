// The HTTP client's transport over blocking Winsock TCP sockets.
#pragma once

#include "http/http_client.h"
#include "toolkit/handle_win.h"

// One TCP connection at a time. The socket library is started once per process, on first use,
// and stays started until the process ends. Errors throw ESocketError with WSAGetLastError's number.
class TWinsockTransport final : public TTransport {
public:
  TWinsockTransport();
  std::string Resolve(const std::string& name) override;
  void Connect(const std::string& address, std::uint16_t port, TIPVersion version) override;
  void Send(std::span<const std::uint8_t> bytes) override;
  std::size_t Receive(std::span<std::uint8_t> buffer) override;
  bool WaitReadable(int milliseconds) override;
  void ShutdownSend() noexcept override;
  void Close() noexcept override;

private:
  TUniqueSocket socket_;
};
