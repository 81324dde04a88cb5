// Benchmark: the password-file command's generation and save on the real main window, whose
// messages it lets through as it goes: count passwords of the length field's length from the
// default alphabet into a file. Prints the time and the peak memory beyond the idle process. The
// script beside it runs it as a whole process next to tr and pwgen.
//   wine password_file_bench.exe FILE [COUNT] [--raise LENGTH MS]
// With --raise, another thread times round trips to the main window (WM_NULL, sent again and
// again, as another program or the system would) all through the run, and sets the length field
// to LENGTH 20 ms after the start and back MS later, as a user typing would; then it also prints
// the longest round trip and the peak memory against what the run wrote.
#include <windows.h>

#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>
#include <thread>

#include "app/main_form_win.h"
#include "toolkit/application_win.h"

namespace {

double PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.PeakWorkingSetSize) / 1e6;
}

double NowMs() {
  LARGE_INTEGER frequency, count;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Round trips to the main window from another thread during the run, and the raised length.
class Watcher {
public:
  Watcher(HWND main, HWND length_field, std::wstring raised, double raise_ms)
      : main_(main), field_(length_field), raised_(std::move(raised)), raise_ms_(raise_ms) {
    wchar_t text[32] = {};
    ::GetWindowTextW(field_, text, 32);
    normal_ = text;
    thread_ = std::thread([this] { Run(); });
  }
  ~Watcher() { Stop(); }
  // Ends the round trips; the main window's thread answers the last one meanwhile.
  void Stop() {
    stop_ = true;
    while (!done_) {
      Application->ProcessMessages();
      ::Sleep(1);
    }
    if (thread_.joinable()) thread_.join();
  }
  double longest_ms = 0, longest_at_ms = 0;
  long pings = 0;

private:
  template <class Send>
  void Timed(double start, Send&& send) {
    const double before = NowMs();
    send();
    const double took = NowMs() - before;
    if (took > longest_ms) {
      longest_ms = took;
      longest_at_ms = before - start;
    }
  }
  void Run() {
    const double start = NowMs();
    int stage = 0;  // 0: before the raise, 1: raised, 2: back
    while (!stop_) {
      const double now = NowMs() - start;
      if (stage == 0 && now >= 20) {
        Timed(start, [&] { ::SendMessageW(field_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(raised_.c_str())); });
        stage = 1;
        continue;
      }
      if (stage == 1 && now >= 20 + raise_ms_) {
        Timed(start, [&] { ::SendMessageW(field_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(normal_.c_str())); });
        stage = 2;
        continue;
      }
      DWORD_PTR result = 0;
      Timed(start, [&] { ::SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result); });
      ++pings;
      ::Sleep(1);
    }
    done_ = true;
  }

  HWND main_, field_;
  std::wstring raised_, normal_;
  double raise_ms_;
  std::atomic<bool> stop_{false}, done_{false};
  std::thread thread_;
};

long long FileBytes(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: password_file_bench FILE [COUNT] [--raise LENGTH MS]\n");
    return 2;
  }
  const std::wstring file = argv[1];
  const long count = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 1'000'000;
  const bool raise = argc > 5 && std::wcscmp(argv[3], L"--raise") == 0;
  TApplication application;
  application.Title = L"Tarvelin";
  application.MainFormOnTaskBar = true;
  TMainForm form;
  double seconds = 0;
  int result = 1;
  form.Show();
  application.ProcessMessages();
  const double idle = PeakMegabytes();
  std::unique_ptr<Watcher> watcher;
  if (raise) watcher = std::make_unique<Watcher>(form.Handle(), form.sSpinEdit1.Handle(), argv[4], std::wcstod(argv[5], nullptr));
  const double t0 = NowMs();
  try {
    form.GenRandomFile(file, static_cast<std::int32_t>(count));
    result = 0;
  } catch (...) {
    application.HandleException(std::current_exception());
  }
  seconds = (NowMs() - t0) / 1000;
  if (watcher) watcher->Stop();
  const double peak = PeakMegabytes() - idle;
  std::printf("passwords: %ld\ngeneration and save: %.3f s\npeak memory beyond the idle process: %.1f MB\n", count,
              seconds, peak);
  if (watcher) {
    const double bytes = static_cast<double>(FileBytes(file)) / 1e6;
    std::printf("file: %.1f MB\n", bytes);
    std::printf("peak memory against the file: %.2fx\n", peak / bytes);
    std::printf("longest round trip: %.1f ms (%.0f ms after the start), %ld round trips\n", watcher->longest_ms,
                watcher->longest_at_ms, watcher->pings);
  }
  return result;
}
