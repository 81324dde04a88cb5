// Runs one Get with a fresh client over a transport and records how it ended.
#pragma once

#include <functional>

#include "http/http_client.h"
#include "tests/http/reply_harness.h"
#include "toolkit/text.h"

struct GetResult {
  std::string error;  // message of the failure, UTF-8; empty on success
  int code = 0;       // status code of an error reply
  std::u16string body;  // its kept body
  std::string sink;   // what reached the sink, unless a sink of the caller's was used
};

// beforeDiscard runs after the call, just before the client object goes.
inline GetResult RunGet(TTransport& transport, std::u16string_view url, TByteSink* callerSink = nullptr,
                        const std::function<void()>& beforeDiscard = {}) {
  GetResult r;
  StringSink sink;
  {
    THttpClient client(transport);
    try {
      client.Get(url, callerSink ? *callerSink : sink);
    } catch (const EHttpProtocolError& e) {
      r.error = Utf8FromUtf16(e.Message());
      r.code = e.ErrorCode();
      r.body = e.ErrorBody();
    } catch (const Exception& e) {
      r.error = Utf8FromUtf16(e.Message());
    }
    if (beforeDiscard) beforeDiscard();
  }
  r.sink = sink.bytes;
  return r;
}

// The request head's lines after Host, as the client always sends them.
inline const std::string kRequestHeadTail =
    "Accept: text/html, */*\r\n"
    "Accept-Encoding: identity\r\n"
    "User-Agent: Mozilla/3.0 (compatible; Tarvelin)\r\n"
    "\r\n";
