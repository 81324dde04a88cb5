// One GET over the transport: request, connection lifetime and the read loop.
#include "http/http_client.h"

#include <vector>

#include "toolkit/scope_exit.h"

namespace {

std::span<const std::uint8_t> Bytes(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

}  // namespace

THttpClient::~THttpClient() {
  if (open_) transport_.Close();
}

void THttpClient::Disconnect() noexcept {
  transport_.ShutdownSend();
  transport_.Close();
  open_ = false;
}

void THttpClient::Get(std::u16string_view URL, TByteSink& Sink) {
  if (used_) throw EHttpError(u"The HTTP client serves one request only");
  used_ = true;

  const THttpRequest request = HttpRequestFor(URL);
  Connect(request);

  THttpReplyReader reader(Sink);
  // On every way out: a connection that is down or asked to be closed is closed now; any other
  // stays open until the client object goes.
  const TScopeExit close([&] {
    if (!up_ || reader.ConnectionClose()) Disconnect();
  });

  up_ = false;
  transport_.Send(Bytes(request.head));
  up_ = true;
  ReadReply(reader);

  if (!reader.Success()) throw EHttpProtocolError(reader.StatusLine(), reader.StatusCode(), reader.ErrorBody());
}

void THttpClient::Connect(const THttpRequest& request) {
  const std::string address = request.resolve ? transport_.Resolve(request.address) : request.address;
  transport_.Connect(address, request.port, request.ip_version);
  open_ = true;
  up_ = true;
}

void THttpClient::ReadReply(THttpReplyReader& reader) {
  std::vector<std::uint8_t> buffer(RecvBufferSize);
  while (true) {
    const auto state = reader.State();
    if (state == THttpReplyReader::TProgress::Done) return;
    if (state == THttpReplyReader::TProgress::WaitForBody && !transport_.WaitReadable(kBodyProbeMilliseconds)) {
      reader.NoBodyArrived();
      continue;
    }
    up_ = false;  // stays so when the receive fails
    const std::size_t n = transport_.Receive(buffer);
    if (n == 0) {
      reader.Close();
      continue;
    }
    up_ = true;
    reader.Feed(std::span<const std::uint8_t>(buffer.data(), n));
  }
}
