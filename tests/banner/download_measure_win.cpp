// Measures the banner download by hand (see download_measure.sh): the worker's time and peak
// memory against a server, the bytes the client reads of a reply and when it closes the
// connection, and the completion step's time for a cache file.
//   banner_download_measure worker URL CACHE_PATH
//   banner_download_measure client URL
//   banner_download_measure load CACHE_PATH [REPEATS]
// The C++ allocations are counted by replacing the global allocation functions; the process's
// own peak (working set or committed memory, the larger) is printed beside them.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "product/product_consts.h"
#include "banner/downloader_win.h"
#include "http/http_client.h"
#include "http/winsock_transport_win.h"
#include "toolkit/application_win.h"
#include "toolkit/exception.h"
#include "toolkit/text.h"
#include "toolkit/wide.h"

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

}  // namespace

void* operator new(std::size_t size) {
  auto* p = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!p) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(p) = size;
  const std::size_t live = liveBytes += size;
  std::size_t peak = peakBytes;
  while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
  }
  return p + kHeader;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  liveBytes -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

double Seconds() {
  LARGE_INTEGER frequency, count;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ProcessPeakKiB() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
  return static_cast<double>(std::max(counters.PeakWorkingSetSize, counters.PeakPagefileUsage)) / 1024;
}

std::string Narrow8(const std::u16string& text) { return Utf8FromUtf16(text); }

std::string FailureOf(const std::exception_ptr& failure) {
  if (!failure) return "none";
  try {
    std::rethrow_exception(failure);
  } catch (const Exception& e) {
    return Narrow8(e.Message());
  } catch (...) {
    return "<not an Exception>";
  }
}

long long FileSize(const wchar_t* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Runs the worker as the download tick does and pumps messages until its completion has run.
int Worker(const wchar_t* url, const wchar_t* path) {
  TApplication app;
  const double processBefore = ProcessPeakKiB();
  const std::size_t heapBefore = liveBytes;
  peakBytes = heapBefore;
  bool done = false;
  std::string failure;
  auto worker = std::make_unique<TDownLoader>();
  worker->SetURL(U16(url));
  worker->SetToFolder(path);
  worker->FreeOnTerminate = true;
  worker->OnTerminate = [&](TObject* sender) {
    failure = FailureOf(static_cast<TDownLoader*>(sender)->FatalException);
    done = true;
  };
  const double start = Seconds();
  worker->Start();
  static_cast<void>(worker.release());
  while (!done) {
    app.ProcessMessages();
    app.CheckSynchronize();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  const double elapsed = Seconds() - start;
  std::printf("worker: %.3f s, failure: %s, cache file %lld bytes\n", elapsed, failure.c_str(), FileSize(path));
  std::printf("worker: C++ heap peak %zu KiB above the %zu KiB before; process peak %.0f KiB (before %.0f KiB)\n",
              (peakBytes - heapBefore) / 1024, heapBefore / 1024, ProcessPeakKiB(), processBefore);
  return 0;
}

// Winsock as the worker uses it, counting the bytes received and noting when the connection is
// closed.
class CountingTransport final : public TTransport {
public:
  std::uint64_t received = 0;
  double closed = 0;  // Seconds() at the first close
  std::string Resolve(const std::string& name) override { return inner_.Resolve(name); }
  void Connect(const std::string& address, std::uint16_t port, TIPVersion version) override {
    inner_.Connect(address, port, version);
  }
  void Send(std::span<const std::uint8_t> bytes) override { inner_.Send(bytes); }
  std::size_t Receive(std::span<std::uint8_t> buffer) override {
    const std::size_t n = inner_.Receive(buffer);
    received += n;
    return n;
  }
  bool WaitReadable(int milliseconds) override { return inner_.WaitReadable(milliseconds); }
  void ShutdownSend() noexcept override { inner_.ShutdownSend(); }
  void Close() noexcept override {
    if (closed == 0) closed = Seconds();
    inner_.Close();
  }

private:
  TWinsockTransport inner_;
};

class CountingSink final : public TByteSink {
public:
  std::uint64_t bytes = 0;
  void Write(std::span<const std::uint8_t> b) override { bytes += b.size(); }
  void Truncate(std::uint64_t size) override { bytes = std::min(bytes, size); }
};

// One GET with the client the worker uses, over a counting transport, into a sink that counts.
int Client(const wchar_t* url) {
  CountingTransport transport;
  CountingSink sink;
  std::string failure = "none";
  const double start = Seconds();
  {
    THttpClient client(transport);
    try {
      client.Get(U16(url), sink);
    } catch (const Exception& e) {
      failure = Narrow8(e.Message());
    }
  }
  std::printf("client: read %llu bytes, closed the connection %.3f s after the start; failure: %s; body kept %llu bytes\n",
              static_cast<unsigned long long>(transport.received), transport.closed - start, failure.c_str(),
              static_cast<unsigned long long>(sink.bytes));
  return 0;
}

// The completion step for the file at path, repeats times, with the slots as the program has them.
int Load(const wchar_t* path, int repeats) {
  double best = 1e9, total = 0;
  for (int i = 0; i < repeats; ++i) {
    ReklamLoaded = false;
    const double start = Seconds();
    LoadBannerList(path);
    const double elapsed = Seconds() - start;
    best = std::min(best, elapsed);
    total += elapsed;
  }
  std::printf("completion: %lld bytes, best %.2f ms, mean %.2f ms of %d; first slot \"%s\"; process peak %.0f KiB\n",
              FileSize(path), best * 1e3, total / repeats * 1e3, repeats, Narrow8(ReklamText1).c_str(),
              ProcessPeakKiB());
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"worker" && argc == 4) return Worker(argv[2], argv[3]);
  if (mode == L"client" && argc == 3) return Client(argv[2]);
  if (mode == L"load" && (argc == 3 || argc == 4)) return Load(argv[2], argc == 4 ? _wtoi(argv[3]) : 20);
  std::fprintf(stderr, "usage: banner_download_measure worker URL CACHE_PATH | client URL | load CACHE_PATH [REPEATS]\n");
  return 2;
}
