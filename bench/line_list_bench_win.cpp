// Benchmark of the line-list load: makes a large line-list file, loads it several times and
// prints the speed in MB/s (10^6 bytes of file per second) and the process's peak memory.
//   line_list_bench make ansi|utf8|utf16 FILE MEGABYTES
//   line_list_bench load FILE [REPEATS]
//   line_list_bench floor FILE [REPEATS]   what any whole-file load pays here: one read into a
//                                          fresh buffer and one ANSI conversion into another;
//                                          then the split into offsets and lengths only, as a
//                                          list without a string per line would hold it
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "passwords/line_list_win.h"
#include "passwords/line_text.h"

namespace {

double Seconds() {
  LARGE_INTEGER frequency, count;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double PeakMegabytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
  return static_cast<double>(std::max(counters.PeakWorkingSetSize, counters.PeakPagefileUsage)) / 1e6;
}

// Lines of 7 to 9 characters from a fixed sequence: Latin letters and digits, or Cyrillic
// letters for the Unicode files.
int Make(const wchar_t* kind, const wchar_t* path, long megabytes) {
  const std::wstring mode = kind;
  const std::wstring latin = L"1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  const std::wstring cyrillic = L"абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ0123456789";
  const std::wstring& alphabet = mode == L"ansi" ? latin : cyrillic;
  const std::size_t target = static_cast<std::size_t>(megabytes) * 1000000;
  std::string bytes;
  bytes.reserve(target + 64);
  if (mode == L"utf8") bytes += "\xEF\xBB\xBF";
  if (mode == L"utf16") bytes += "\xFF\xFE";
  std::uint32_t state = 1;
  std::wstring line;
  while (bytes.size() < target) {
    line.clear();
    state = state * 134775813u + 1;
    const int length = 7 + static_cast<int>((state >> 16) % 3);
    for (int i = 0; i < length; ++i) {
      state = state * 134775813u + 1;
      line += alphabet[(state >> 16) % alphabet.size()];
    }
    line += L"\r\n";
    if (mode == L"utf16") {
      bytes.append(reinterpret_cast<const char*>(line.data()), line.size() * 2);
    } else {
      char out[64];
      const int n = ::WideCharToMultiByte(mode == L"utf8" ? CP_UTF8 : CP_ACP, 0, line.data(),
                                          static_cast<int>(line.size()), out, sizeof(out), nullptr, nullptr);
      bytes.append(out, static_cast<std::size_t>(n));
    }
  }
  HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  if (file == INVALID_HANDLE_VALUE ||
      !::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    std::fprintf(stderr, "cannot write the file\n");
    return 1;
  }
  ::CloseHandle(file);
  std::printf("made %zu bytes\n", bytes.size());
  return 0;
}

int Load(const wchar_t* path, int repeats) {
  const double base = PeakMegabytes();
  std::vector<double> times;
  std::size_t lines = 0;
  double size = 0;
  for (int i = 0; i < repeats; ++i) {
    TLineList list;
    const double start = Seconds();
    list.LoadFromFile(path);
    times.push_back(Seconds() - start);
    lines = list.Count();
    size = 0;
    for (std::size_t k = 0; k < list.Count(); ++k) size += static_cast<double>(list[k].size());
  }
  WIN32_FILE_ATTRIBUTE_DATA data;
  ::GetFileAttributesExW(path, GetFileExInfoStandard, &data);
  const double bytes = static_cast<double>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf("file %.1f MB, %zu lines, %.0f characters\n", bytes / 1e6, lines, size);
  std::printf("load: best %.3f s (%.0f MB/s), median %.3f s (%.0f MB/s) of %d\n", times.front(), bytes / 1e6 / times.front(),
              median, bytes / 1e6 / median, repeats);
  std::printf("peak memory: %.0f MB (%.0f MB before the first load)\n", PeakMegabytes(), base);
  return 0;
}

// The parts of a load that no line storage can avoid, each on fresh memory as a load has it.
int Floor(const wchar_t* path, int repeats) {
  double read = 1e9, convert = 1e9, touch = 1e9, index = 1e9;
  double bytes = 0;
  for (int i = 0; i < repeats; ++i) {
    double start = Seconds();
    HANDLE file =
        ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size;
    if (file == INVALID_HANDLE_VALUE || !::GetFileSizeEx(file, &size)) return 1;
    const auto n = static_cast<DWORD>(size.QuadPart);
    std::unique_ptr<char[]> in(new char[n]);
    DWORD done = 0;
    ::ReadFile(file, in.get(), n, &done, nullptr);
    ::CloseHandle(file);
    read = std::min(read, Seconds() - start);
    start = Seconds();
    std::unique_ptr<wchar_t[]> out(new wchar_t[n]);
    ::MultiByteToWideChar(CP_ACP, 0, in.get(), static_cast<int>(n), out.get(), static_cast<int>(n));
    convert = std::min(convert, Seconds() - start);
    start = Seconds();
    const std::wstring_view text(out.get(), n);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> lines;
    lines.reserve(CountLines(text));
    ForEachLine(text, [&](const wchar_t* first, std::size_t length) {
      lines.emplace_back(static_cast<std::uint32_t>(first - text.data()), static_cast<std::uint32_t>(length));
    });
    index = std::min(index, Seconds() - start);
    start = Seconds();
    std::unique_ptr<char[]> fresh(new char[n]);
    std::memset(fresh.get(), 1, n);
    touch = std::min(touch, Seconds() - start);
    bytes = n;
  }
  std::printf("read into a fresh buffer: %.3f s (%.0f MB/s)\n", read, bytes / 1e6 / read);
  std::printf("ANSI conversion into a fresh buffer: %.3f s\n", convert);
  std::printf("first touch of fresh memory: %.2f ms per MB\n", touch * 1e3 / (bytes / 1e6));
  std::printf("read + conversion: %.0f MB/s\n", bytes / 1e6 / (read + convert));
  std::printf("split into offsets and lengths: %.3f s; read + conversion + split: %.0f MB/s\n", index,
              bytes / 1e6 / (read + convert + index));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 5 && std::wcscmp(argv[1], L"make") == 0) return Make(argv[2], argv[3], std::wcstol(argv[4], nullptr, 10));
  if ((argc == 3 || argc == 4) && std::wcscmp(argv[1], L"load") == 0) {
    return Load(argv[2], argc == 4 ? static_cast<int>(std::wcstol(argv[3], nullptr, 10)) : 5);
  }
  if ((argc == 3 || argc == 4) && std::wcscmp(argv[1], L"floor") == 0) {
    return Floor(argv[2], argc == 4 ? static_cast<int>(std::wcstol(argv[3], nullptr, 10)) : 5);
  }
  std::fprintf(stderr, "usage: line_list_bench make ansi|utf8|utf16 FILE MEGABYTES | load|floor FILE [REPEATS]\n");
  return 2;
}
