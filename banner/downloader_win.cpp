// The worker's system calls (folders, the cache file, the socket transport) and the list's loading.
#include "banner/downloader_win.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "banner/cache_path.h"
#include "http/http_client.h"
#include "http/winsock_transport_win.h"
#include "passwords/line_list_win.h"
#include "passwords/random.h"
#include "product/product_consts.h"
#include "toolkit/scope_exit.h"
#include "toolkit/stream_win.h"
#include "toolkit/wide.h"

namespace {

// Creates the missing folders of the chain that leads to path, outermost first. The first folder
// that cannot be created ends the chain quietly: creating the file in it then fails with the reason.
void CreateFolderChain(const std::wstring& path) {
  for (const std::size_t length : FolderChain(U16(path))) {
    const std::wstring folder = path.substr(0, length);
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return;
    } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return;
    }
  }
}

// Appends the reply body to the open cache file, piece by piece as it arrives.
class TFileSink final : public TByteSink {
public:
  explicit TFileSink(TFileStream& file) : file_(file) {}
  void Write(std::span<const std::uint8_t> bytes) override { file_.WriteBuffer(bytes.data(), bytes.size()); }
  void Truncate(std::uint64_t size) override {
    if (file_.Seek(static_cast<std::int64_t>(size), TSeekOrigin::Begin) < 0 || !::SetEndOfFile(file_.Handle())) {
      throw EWriteError();
    }
  }

private:
  TFileStream& file_;
};

}  // namespace

std::wstring BannerCachePath(const std::wstring& folder) {
  return folder + L"\\Corvanix\\" + Wide(ProductFolder) + L"\\reclam.txt";
}

void TDownLoader::Execute() {
  TWinsockTransport transport;
  auto client = std::make_unique<THttpClient>(transport);
  if (const std::u16string path = U16(FToFolder); !StartsAtDriveOrShare(path)) {
    throw EFCreateError(path, u"The path starts at no drive and no network share");
  }
  CreateFolderChain(FToFolder);
  // Exclusive: nobody reads a half-written list, and the previous list is gone before the request.
  TFileStream file(FToFolder, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  TFileSink sink(file);
  // The client, and with it the connection, goes first, then the file: on every path.
  TScopeExit discard([&] { client.reset(); });
  client->Get(FURL, sink);
}

void LoadBannerList(const std::wstring& path) {
  TScopeExit loaded([] { ReklamLoaded = true; });
  // A failed folder lookup gives a path under the root of the current drive, where any local
  // user may have put lines of their own; the download wrote nothing there.
  if (!StartsAtDriveOrShare(U16(path))) return;
  TLineList list;
  try {
    TFileStream file(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    // More than the download ever writes did not come from it, and would hold up the GUI thread.
    if (file.Size() > static_cast<std::int64_t>(MaxBodyLength)) return;
    list.LoadFromStream(file);
  } catch (...) {
    // A missing file, or one another copy of the program is downloading into: nobody is told,
    // and the banner keeps its texts.
    return;
  }
  const std::size_t count = list.Count();
  if (count == 0) return;
  // The range is Count - 1: the last line of the list is never drawn.
  const auto range = static_cast<std::int32_t>(std::min<std::size_t>(count - 1, INT32_MAX));
  for (std::u16string* slot : {&ReklamText1, &ReklamText2, &ReklamText3, &ReklamText4, &ReklamText5}) {
    *slot = list[DrawRandom(range)];
  }
}
