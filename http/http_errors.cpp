// Failures of the HTTP client and the texts of socket error numbers.
#include "http/http_errors.h"

#include <algorithm>
#include <iterator>

#include "toolkit/text.h"

namespace {

struct TSocketErrorEntry {
  int code;
  const char16_t* text;
};

// Sorted by number, for the binary search below.
constexpr TSocketErrorEntry kSocketErrors[] = {
    {10004, u"Interrupted system call."},
    {10009, u"Bad file number."},
    {10013, u"Access denied."},
    {10014, u"Bad address."},
    {10022, u"Invalid argument."},
    {10024, u"Too many open files."},
    {10035, u"Operation would block."},
    {10036, u"Operation now in progress."},
    {10037, u"Operation already in progress."},
    {10038, u"Socket operation on non-socket."},
    {10039, u"Destination address required."},
    {10040, u"Message too long."},
    {10041, u"Protocol wrong type for socket."},
    {10042, u"Bad protocol option."},
    {10043, u"Protocol not supported."},
    {10044, u"Socket type not supported."},
    {10045, u"Operation not supported on socket."},
    {10046, u"Protocol family not supported."},
    {10047, u"Address family not supported by protocol family."},
    {10048, u"Address already in use."},
    {10049, u"Cannot assign requested address."},
    {10050, u"Network is down."},
    {10051, u"Network is unreachable."},
    {10052, u"Network dropped connection on reset."},
    {10053, u"Software caused connection abort."},
    {10054, u"Connection reset by peer."},
    {10055, u"No buffer space available."},
    {10056, u"Socket is already connected."},
    {10057, u"Socket is not connected."},
    {10058, u"Cannot send after socket shutdown."},
    {10059, u"Too many references."},
    {10060, u"Connection timed out."},
    {10061, u"Connection refused."},
    {10062, u"Too many levels of symbolic links."},
    {10063, u"File name too long."},
    {10064, u"Host is down."},
    {10065, u"No route to host."},
    {10091, u"Network subsystem is unavailable."},
    {10092, u"Requested socket library version is not supported."},
    {10093, u"Socket library not initialized."},
    {10101, u"Graceful shutdown in progress."},
    {10109, u"Class type not found."},
    {11001, u"Host not found."},
    {11002, u"Temporary failure in name resolution."},
    {11003, u"Non-recoverable failure in name resolution."},
    {11004, u"No address of the requested type for this name."},
};

}  // namespace

std::u16string SocketErrorText(int code) {
  const auto it = std::lower_bound(std::begin(kSocketErrors), std::end(kSocketErrors), code,
                                   [](const TSocketErrorEntry& e, int c) { return e.code < c; });
  if (it == std::end(kSocketErrors) || it->code != code) return {};
  return it->text;
}

ESocketError::ESocketError(int code)
    : Exception(u"Socket Error # " + DecimalText(code) + u"\r\n" + SocketErrorText(code)) {}
