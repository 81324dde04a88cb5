// A one-connection HTTP server on 127.0.0.1 for the Windows tests: a thread that listens on a
// free port, signals an event once it does, accepts one client, reads its request head and
// then plays a script on the connection.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "toolkit/handle_win.h"

class LoopbackServer {
public:
  // The accepted connection as the script sees it. Its calls give up once the server is being
  // stopped, so a script that floods the client never outlives the test.
  class Connection {
  public:
    Connection(TUniqueSocket& s, const std::atomic<bool>& stopping) : s_(s), stopping_(stopping) {}
    // False when the client has gone or the server stops.
    bool Send(std::string_view bytes) {
      while (!bytes.empty()) {
        const int n = send(s_.Get(), bytes.data(), static_cast<int>(bytes.size()), 0);
        if (n > 0) {
          bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (WSAGetLastError() != WSAEWOULDBLOCK || !Wait(false)) {
          return false;
        }
      }
      return true;
    }
    // Reads until the client's close; false on a reset, an error, or the server's stop.
    bool WaitForEnd() {
      char b[4096];
      while (true) {
        const int n = recv(s_.Get(), b, sizeof b, 0);
        if (n == 0) return true;
        if (n < 0 && (WSAGetLastError() != WSAEWOULDBLOCK || !Wait(true))) return false;
      }
    }

  private:
    bool Wait(bool read) {
      while (!stopping_) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s_.Get(), &set);
        timeval t = {0, 50000};
        const int n = select(0, read ? &set : nullptr, read ? nullptr : &set, nullptr, &t);
        if (n != 0) return n > 0;
      }
      return false;
    }
    TUniqueSocket& s_;
    const std::atomic<bool>& stopping_;
  };
  using Script = std::function<void(Connection& client)>;

  // family: AF_INET listens on 127.0.0.1, AF_INET6 on ::1.
  explicit LoopbackServer(Script script, int family = AF_INET)
      : script_(std::move(script)), family_(family), listening_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);  // counted: the matching WSACleanup is in the destructor
    thread_ = std::thread([this] { Run(); });
    WaitForSingleObject(listening_.Get(), INFINITE);
  }
  ~LoopbackServer() {
    Stop();
    WSACleanup();
  }

  // Ends the script's waits, closes the listening socket and waits for the thread's end.
  void Stop() {
    stopping_ = true;
    listener_.Reset();
    if (thread_.joinable()) thread_.join();
  }

  std::uint16_t Port() const { return port_; }
  std::wstring Url(const std::wstring& path = L"/reklam.txt") const {
    return (family_ == AF_INET6 ? L"http://[::1]:" : L"http://127.0.0.1:") + std::to_wstring(port_) + path;
  }
  // The request head the client sent, once the script has ended.
  const std::string& Head() const { return head_; }

private:
  void Run() {
    listener_.Reset(socket(family_, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_storage a = {};
    int length;
    if (family_ == AF_INET6) {
      auto& a6 = reinterpret_cast<sockaddr_in6&>(a);
      a6.sin6_family = AF_INET6;
      a6.sin6_addr = in6addr_loopback;
      length = sizeof a6;
    } else {
      auto& a4 = reinterpret_cast<sockaddr_in&>(a);
      a4.sin_family = AF_INET;
      a4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      length = sizeof a4;
    }
    bind(listener_.Get(), reinterpret_cast<sockaddr*>(&a), length);
    listen(listener_.Get(), 1);
    getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&a), &length);
    port_ = ntohs(family_ == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(a).sin6_port : reinterpret_cast<sockaddr_in&>(a).sin_port);
    SetEvent(listening_.Get());
    TUniqueSocket client(accept(listener_.Get(), nullptr, nullptr));
    if (!client) return;
    char b[4096];
    while (head_.find("\r\n\r\n") == std::string::npos) {
      const int n = recv(client.Get(), b, sizeof b, 0);
      if (n <= 0) break;
      head_.append(b, static_cast<std::size_t>(n));
    }
    u_long nonBlocking = 1;
    ioctlsocket(client.Get(), FIONBIO, &nonBlocking);
    Connection connection(client, stopping_);
    script_(connection);
  }

  Script script_;
  int family_;
  TUniqueKernelHandle listening_;
  TUniqueSocket listener_;
  std::atomic<bool> stopping_{false};
  std::uint16_t port_ = 0;
  std::string head_;
  std::thread thread_;
};
