// An in-memory transport that plays a scripted server and records every call the client makes.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "http/http_client.h"

class ScriptedTransport final : public TTransport {
public:
  // One thing the server does, in order: send bytes, close, or fail the next receive.
  struct Event {
    std::string bytes;
    bool close = false;
    int error = 0;
  };

  std::map<std::string, std::string> names;  // what the resolver answers; other names fail with 11001
  int connectError = 0;
  int sendError = 0;
  std::deque<Event> script;
  std::vector<std::string> calls;  // the calls, in order, in a short form
  std::string sent;
  std::size_t received = 0;  // bytes the client took from the script

  void Reply(std::string bytes) { script.push_back({std::move(bytes)}); }
  void CloseAfter() { script.push_back({{}, true}); }

  std::string Resolve(const std::string& name) override {
    calls.push_back("resolve " + name);
    const auto it = names.find(name);
    if (it == names.end()) throw ESocketError(11001);
    return it->second;
  }
  void Connect(const std::string& address, std::uint16_t port, TIPVersion version) override {
    calls.push_back("connect " + address + " " + std::to_string(port) + (version == TIPVersion::IPv6 ? " v6" : " v4"));
    if (connectError) throw ESocketError(connectError);
  }
  void Send(std::span<const std::uint8_t> bytes) override {
    calls.push_back("send");
    if (sendError) throw ESocketError(sendError);
    sent.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  std::size_t Receive(std::span<std::uint8_t> buffer) override {
    calls.push_back("receive");
    if (script.empty()) {
      ADD_FAILURE() << "the client reads past the end of the script, where a real server would keep it waiting";
      return 0;
    }
    Event& e = script.front();
    if (e.error) {
      const int error = e.error;
      script.pop_front();
      throw ESocketError(error);
    }
    if (e.close) return 0;  // stays closed
    const std::size_t n = std::min(buffer.size(), e.bytes.size());
    e.bytes.copy(reinterpret_cast<char*>(buffer.data()), n);
    e.bytes.erase(0, n);
    if (e.bytes.empty()) script.pop_front();
    received += n;
    return n;
  }
  bool WaitReadable(int milliseconds) override {
    calls.push_back("wait " + std::to_string(milliseconds));
    return !script.empty();
  }
  void ShutdownSend() noexcept override { calls.push_back("shutdown"); }
  void Close() noexcept override { calls.push_back("close"); }
};
