// The banner list download under Wine: the worker against a loopback server, the completion
// handler that fills the slots, and where and when that handler runs.
#include <windows.h>

#include <shlobj.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "app/main_form_win.h"
#include "banner/downloader_win.h"
#include "tests/banner/banner_test_support_win.h"
#include "tests/http/get_harness.h"
#include "tests/http/loopback_server_win.h"
#include "toolkit/stream_win.h"
#include "toolkit/wide.h"

namespace {

// A worker that says when it has destroyed itself.
class ObservedDownLoader final : public TDownLoader {
public:
  explicit ObservedDownLoader(std::atomic<bool>& destroyed) : destroyed_(destroyed) {}
  ~ObservedDownLoader() override { destroyed_ = true; }

private:
  std::atomic<bool>& destroyed_;
};

struct Outcome {
  bool completed = false;      // the completion handler has run
  bool on_gui_thread = false;  // ... on the thread that started the worker
  std::u16string failure;      // the message kept in FatalException; empty when the body succeeded
  std::atomic<bool> destroyed{false};
};

std::u16string FailureOf(const std::exception_ptr& failure) {
  if (!failure) return {};
  try {
    std::rethrow_exception(failure);
  } catch (const Exception& e) {
    return e.Message();
  } catch (...) {
    return u"<not an Exception>";
  }
}

std::string Reply200(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

LoopbackServer::Script Sends(std::string reply) {
  return [reply](LoopbackServer::Connection& c) { c.Send(reply); };
}

// A port nobody listens on: bound once, then freed.
std::wstring RefusedUrl() {
  std::uint16_t port;
  {
    LoopbackServer probe([](LoopbackServer::Connection&) {});
    port = probe.Port();
  }
  return L"http://127.0.0.1:" + std::to_wstring(port) + L"/reklam.txt";
}

class DownloadTest : public BannerTest {
protected:
  // Starts a worker as the download tick does, for url and the cache file at path, with a
  // completion handler that records how the body ended, runs during(), then loads path the way
  // the main window's handler loads its own path.
  void Start(const std::wstring& url, const std::wstring& path, Outcome& out, std::function<void()> during = {}) {
    auto worker = std::make_unique<ObservedDownLoader>(out.destroyed);
    worker->SetURL(U16(url));
    worker->SetToFolder(path);
    worker->FreeOnTerminate = true;
    const DWORD gui = GetCurrentThreadId();
    worker->OnTerminate = [&out, path, gui, during](TObject* sender) {
      out.on_gui_thread = GetCurrentThreadId() == gui;
      out.failure = FailureOf(static_cast<TDownLoader*>(sender)->FatalException);
      if (during) during();
      LoadBannerList(path);
      out.completed = true;
    };
    worker->Start();
    static_cast<void>(worker.release());
  }
  void Run(const std::wstring& url, const std::wstring& path, Outcome& out) {
    Start(url, path, out);
    ASSERT_TRUE(PumpUntil([&] { return out.destroyed.load(); }, 15000)) << "the worker did not end";
    EXPECT_TRUE(out.completed);
    EXPECT_TRUE(out.on_gui_thread);
    EXPECT_TRUE(ReklamLoaded);
    EXPECT_TRUE(boxes.empty()) << "nothing about the download is shown";
  }
};

TEST_F(DownloadTest, TheServedListFillsTheSlotsWithDrawsForCountLessOne) {
  std::string many;
  for (int i = 0; i < 63; ++i) {
    many += 'N';
    many += std::to_string(i);
    many += "\r\n";
  }
  struct Case {
    const char* name;
    std::string body;
    std::u16string slots;
    std::uint32_t state_after;  // RandomState after the draws, from 0
  };
  const std::u16string marks = u"slot 1|slot 2|slot 3|slot 4|slot 5|";
  const Case cases[] = {
      {"an empty list keeps the slots and draws nothing", "", marks, 0},
      {"one line goes to every slot (range 0 still draws)", "only\r\n", u"only|only|only|only|only|", 1172187917},
      {"of two lines only the first is used", "first\r\nsecond\r\n", u"first|first|first|first|first|", 1172187917},
      {"six lines: range 5 draws 0 0 4 1 1", "L0\r\nL1\r\nL2\r\nL3\r\nL4\r\nL5\r\n", u"L0|L0|L4|L1|L1|", 1172187917},
      {"63 lines: range 62 draws 0 1 53 12 16", many, u"N0|N1|N53|N12|N16|", 1172187917},
      {"an empty line can be drawn", "\r\nx\r\ny\r\n", u"||x|||", 1172187917},
      {"a UTF-8 list with its byte-order mark", "\xEF\xBB\xBF\xD0\x91\xD0\xB0\xD0\xBD\xD0\xBD\xD0\xB5\xD1\x80\r\nend\r\n",
       u"Баннер|Баннер|Баннер|Баннер|Баннер|", 1172187917},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int i = 0; i < 5; ++i) *kSlots[i] = kSlotMarks[i];
    ReklamLoaded = false;
    RandomState = 0;
    const std::wstring path = BannerCachePath(dir_);
    LoopbackServer server(Sends(Reply200(c.body)));
    Outcome out;
    Run(server.Url(), path, out);
    server.Stop();
    EXPECT_EQ(Utf8FromUtf16(out.failure), "");
    EXPECT_EQ(server.Head(), "GET /reklam.txt HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n" +
                                 kRequestHeadTail);
    EXPECT_EQ(ReadBytes(path), c.body) << "the body is stored as received";
    EXPECT_EQ(Utf8FromUtf16(Slots()), Utf8FromUtf16(c.slots));
    EXPECT_EQ(RandomState, c.state_after);
  }
}

// The server looks at the cache file when the request has come: the previous list must be gone
// by then, and the worker must be holding the file for itself.
TEST_F(DownloadTest, TheOldListIsEmptiedAndHeldBeforeTheRequestGoesOut) {
  const std::wstring path = BannerCachePath(dir_);
  CreateDirectoryW(Path(L"Corvanix").c_str(), nullptr);
  CreateDirectoryW(Path(L"Corvanix\\Ostrel").c_str(), nullptr);
  WriteBytes(path, "old\r\nlist\r\n");
  LONGLONG size_at_request = -1;
  DWORD open_error = 0;
  LoopbackServer server([&](LoopbackServer::Connection& c) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
      size_at_request = (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    TUniqueFile other(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
    open_error = other ? 0 : GetLastError();
    c.Send("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nnope");
  });
  Outcome out;
  Run(server.Url(), path, out);
  server.Stop();
  EXPECT_EQ(size_at_request, 0);
  EXPECT_EQ(open_error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(Utf8FromUtf16(out.failure), "HTTP/1.1 404 Not Found");
  EXPECT_EQ(ReadBytes(path), "") << "a failed download leaves no list behind";
  EXPECT_EQ(Slots(), u"slot 1|slot 2|slot 3|slot 4|slot 5|");
}

// However the body ends, the completion handler runs on the GUI thread, sets the flag and the
// worker frees itself; the failure is kept, never shown.
TEST_F(DownloadTest, EveryWayTheDownloadEndsSetsTheFlag) {
  const std::u16string marks = u"slot 1|slot 2|slot 3|slot 4|slot 5|";
  struct Case {
    const char* name;
    std::string reply;             // what the server sends; empty: nobody listens
    std::wstring path;             // the cache file; empty: BannerCachePath(dir_)
    std::function<void()> before;  // prepares the place
    std::u16string failure;        // the kept failure, or its start when it ends in ". "
    std::optional<std::string> file;
    std::u16string slots;
    bool requests;              // the request went out
    std::string endless = {};  // sent again and again after the reply until the client has gone
  };
  TUniqueFile held;
  const std::string over = ShortLines(3 * 65536);  // 3 MiB
  const std::string limit = over.substr(0, MaxBodyLength);
  std::string chunks;
  for (std::size_t i = 0; i < over.size(); i += 0x8000) chunks += "8000\r\n" + over.substr(i, 0x8000) + "\r\n";
  const std::u16string shortLine = u"0123456789abcd|0123456789abcd|0123456789abcd|0123456789abcd|0123456789abcd|";
  const std::u16string tooLong = u"Max body length exceeded.";
  // Lists a little longer than the limit, each of one line again and again.
  std::string ansi, utf8 = "\xEF\xBB\xBF", little = "\xFF\xFE", big = "\xFE\xFF", oneLine = "\xFF\xFE";
  while (ansi.size() <= MaxBodyLength) ansi += "0123456789abcde\r\n";
  while (utf8.size() <= MaxBodyLength) utf8 += "\xD0\x91\xD0\xB0\xD0\xBD\xD0\xBD\xD0\xB5\xD1\x80\r\n";  // Баннер
  const std::u16string line16 = u"\u0411\u0430\u043D\u043D\u0435\u0440\n";
  while (little.size() <= MaxBodyLength) {
    for (const char16_t unit : line16) {
      little += static_cast<char>(unit & 0xFF);
      little += static_cast<char>(unit >> 8);
      big += static_cast<char>(unit >> 8);
      big += static_cast<char>(unit & 0xFF);
    }
  }
  while (oneLine.size() <= MaxBodyLength) oneLine += "\x11\x04";  // Б
  const std::u16string banner = u"Баннер|Баннер|Баннер|Баннер|Баннер|";
  // Chunks of one byte spelling lines of "ab", each chunk followed by a line of 16 KiB: the
  // list is what came before the reply's budget ran out.
  const std::string longLine = std::string(16383, 'y') + "\r\n";
  const std::string oneByteChunks = "1\r\na" + longLine + "1\r\nb" + longLine + "1\r\n\r" + longLine + "1\r\n\n" + longLine;
  std::string oneByteBody;
  for (std::size_t at = 47 + 3; at < kMaxReplyLength; at += 16389) oneByteBody += "ab\r\n"[oneByteBody.size() % 4];
  const std::wstring cache = BannerCachePath(dir_);
  const std::u16string cannot = u"Cannot create file \"" + U16(cache) + u"\". ";
  const Case cases[] = {
      {"error status", "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\nnope", L"", {}, u"HTTP/1.1 404 Not Found", "",
       marks, true},
      {"redirect", "HTTP/1.1 302 Found\r\nLocation: http://elsewhere/\r\nContent-Length: 0\r\n\r\n", L"", {},
       u"HTTP/1.1 302 Found", "", marks, true},
      {"connection refused", "", L"", {}, u"Socket Error # 10061\r\nConnection refused.", "", marks, false},
      {"body broken off: its bytes are the list", "HTTP/1.1 200 OK\r\nContent-Length: 20\r\n\r\nab\r\ncd\r\n", L"", {},
       u"Connection Closed Gracefully.", "ab\r\ncd\r\n", u"ab|ab|ab|ab|ab|", true},
      // Beyond the limit the file keeps its first MiB, and that is the list.
      {"3 MiB with a length", "HTTP/1.1 200 OK\r\nContent-Length: 3145728\r\n\r\n" + over, L"", {}, tooLong, limit,
       shortLine, true},
      {"3 MiB in chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + chunks + "0\r\n\r\n", L"", {},
       tooLong, limit, shortLine, true},
      {"3 MiB up to the close", "HTTP/1.1 200 OK\r\n\r\n" + over, L"", {}, tooLong, limit, shortLine, true},
      {"an endless body", "HTTP/1.1 200 OK\r\n\r\n", L"", {}, tooLong, limit, shortLine, true, ShortLines(4096)},
      // Beyond the limit the file keeps the list's whole lines, in every encoding it may have.
      {"ANSI, the limit between CR and LF", Reply200(ansi), L"", {}, tooLong, ansi.substr(0, MaxBodyLength - 16),
       u"0123456789abcde|0123456789abcde|0123456789abcde|0123456789abcde|0123456789abcde|", true},
      {"UTF-8 with its mark, the limit inside a character", Reply200(utf8), L"", {}, tooLong,
       utf8.substr(0, MaxBodyLength - 1), banner, true},
      {"UTF-16 low byte first", Reply200(little), L"", {}, tooLong, little.substr(0, MaxBodyLength - 2), banner, true},
      {"UTF-16 high byte first", Reply200(big), L"", {}, tooLong, big.substr(0, MaxBodyLength - 2), banner, true},
      {"UTF-16, one line longer than the limit", Reply200(oneLine), L"", {}, tooLong, "", marks, true},
      // Replies that would keep the download pulling data: it ends, and the connection with it.
      {"an error body without end", "HTTP/1.1 404 Not Found\r\n\r\n", L"", {}, u"HTTP/1.1 404 Not Found", "", marks,
       true, std::string(65536, 'e')},
      {"interim replies without end", "", L"", {}, u"Max header lines exceeded.", "", marks, true,
       "HTTP/1.1 100 Continue\r\n\r\n"},
      {"chunks of one byte, each followed by a long line", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
       L"", {}, u"Max reply length exceeded.", oneByteBody, u"ab|ab|ab|ab|ab|", true, oneByteChunks},
      {"a 204 followed by bytes without end", "HTTP/1.1 204 No Content\r\n\r\n", L"", {}, u"", "", marks, true,
       std::string(65536, 'z')},
      {"a file stands where a folder must be", "-", L"", [&] { WriteBytes(Path(L"Corvanix"), "x"); }, cannot,
       std::nullopt, marks, false},
      {"the cache file is held open elsewhere", "-", L"",
       [&] {
         CreateDirectoryW(Path(L"Corvanix").c_str(), nullptr);
         CreateDirectoryW(Path(L"Corvanix\\Ostrel").c_str(), nullptr);
         WriteBytes(cache, "mine\r\n");
         held.Reset(CreateFileW(cache.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
       },
       cannot, "mine\r\n", marks, false},
      // What the tick makes of a failed folder lookup: nothing is created under the drive's root.
      {"the folder lookup failed", "-", L"\\Corvanix\\Ostrel\\reclam.txt", {},
       u"Cannot create file \"\\Corvanix\\Ostrel\\reclam.txt\". The path starts at no drive and no network share",
       std::nullopt, marks, false},
      {"a path from the current folder", "-", L"reclam.txt", {},
       u"Cannot create file \"reclam.txt\". The path starts at no drive and no network share", std::nullopt, marks,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveTree(dir_);
    CreateDirectoryW(dir_.c_str(), nullptr);
    for (int i = 0; i < 5; ++i) *kSlots[i] = kSlotMarks[i];
    ReklamLoaded = false;
    const std::wstring path = c.path.empty() ? cache : c.path;
    const bool relative = !c.path.empty();
    if (relative) {
      ASSERT_FALSE(FileExists(path)) << "left by an earlier run";
      ASSERT_FALSE(FileExists(L"\\Corvanix")) << "left by an earlier run";
    }
    if (c.before) c.before();
    std::unique_ptr<LoopbackServer> server;
    std::atomic<bool> client_gone{false};
    if (!c.endless.empty()) {
      server = std::make_unique<LoopbackServer>([&](LoopbackServer::Connection& connection) {
        std::string block;
        while (block.size() < 65536) block += c.endless;
        if (connection.Send(c.reply)) {
          while (connection.Send(block)) {
          }
        }
        client_gone = true;
      });
    } else if (!c.reply.empty()) {
      server = std::make_unique<LoopbackServer>(Sends(c.reply == "-" ? "" : c.reply));
    }
    Outcome out;
    Run(server ? server->Url() : RefusedUrl(), path, out);
    if (!c.endless.empty()) {
      EXPECT_TRUE(PumpUntil([&] { return client_gone.load(); })) << "the worker closed the connection";
    }
    if (server) {
      server->Stop();
      EXPECT_EQ(!server->Head().empty(), c.requests);
    }
    if (c.failure.ends_with(u". ")) {
      EXPECT_EQ(Utf8FromUtf16(out.failure.substr(0, c.failure.size())), Utf8FromUtf16(c.failure));
    } else {
      EXPECT_EQ(Utf8FromUtf16(out.failure), Utf8FromUtf16(c.failure));
    }
    held.Reset();
    EXPECT_EQ(FileExists(path), c.file.has_value());
    if (c.file && FileExists(path)) {
      EXPECT_TRUE(ReadWhole(path) == *c.file) << ReadWhole(path).size() << " bytes";
    }
    if (relative) {
      EXPECT_FALSE(FileExists(L"\\Corvanix"));
    }
    EXPECT_EQ(Utf8FromUtf16(Slots()), Utf8FromUtf16(c.slots));
  }
}

// What the completion handler loads, whoever put the file there; the flag is set in every case.
TEST_F(DownloadTest, TheCompletionLoadsNoMoreThanADownloadWrites) {
  const std::u16string marks = u"slot 1|slot 2|slot 3|slot 4|slot 5|";
  struct Case {
    const char* name;
    std::wstring path;  // empty: BannerCachePath(dir_)
    std::string file;
    std::u16string slots;
  };
  const Case cases[] = {
      {"1 MiB of short lines", L"", ShortLines(65536),
       u"0123456789abcd|0123456789abcd|0123456789abcd|0123456789abcd|0123456789abcd|"},
      {"1 MiB and one byte", L"", ShortLines(65536) + "x", marks},
      // The path of a failed folder lookup, under the root of the current drive, here the drive
      // of the test's own folder.
      {"a failed folder lookup", L"\\Corvanix\\Ostrel\\reclam.txt", "planted\r\nlines\r\n", marks},
  };
  wchar_t saved_dir[MAX_PATH] = {};
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, saved_dir), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(dir_.c_str()));
  const std::wstring planted = FullPathName(L"\\Corvanix");
  ASSERT_FALSE(FileExists(planted)) << "left by an earlier run";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int i = 0; i < 5; ++i) *kSlots[i] = kSlotMarks[i];
    ReklamLoaded = false;
    const std::wstring path = c.path.empty() ? BannerCachePath(dir_) : c.path;
    const std::wstring folder = path.substr(0, path.rfind(L'\\'));
    CreateDirectoryW(folder.substr(0, folder.rfind(L'\\')).c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteBytes(path, c.file);
    LoadBannerList(path);
    EXPECT_TRUE(ReklamLoaded);
    EXPECT_EQ(Utf8FromUtf16(Slots()), Utf8FromUtf16(c.slots));
  }
  RemoveTree(planted);
  SetCurrentDirectoryW(saved_dir);
}

TEST_F(DownloadTest, TheCompletionRunsInsideAMessageBoxAndAModalWindow) {
  const std::wstring path = BannerCachePath(dir_);
  const std::string list = "L0\r\nL1\r\nL2\r\nL3\r\nL4\r\nL5\r\n";
  {
    SCOPED_TRACE("message box");
    static const wchar_t kCaption[] = L"Waiting for the banner";
    LoopbackServer server(Sends(Reply200(list)));
    Outcome out;
    HWND box_seen = nullptr;
    Start(server.Url(), path, out, [&] {
      box_seen = FindWindowW(L"#32770", kCaption);
      if (box_seen) PostMessageW(box_seen, WM_COMMAND, IDOK, 0);
    });
    // Closes the box if the handler never comes, so the test cannot hang.
    const UINT_PTR guard = SetTimer(nullptr, 0, 15000, [](HWND, UINT, UINT_PTR, DWORD) {
      if (HWND box = FindWindowW(L"#32770", kCaption)) PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    MessageBoxW(nullptr, L"The banner list is on its way", kCaption, MB_OK);
    KillTimer(nullptr, guard);
    EXPECT_TRUE(out.completed);
    EXPECT_NE(box_seen, nullptr) << "the handler ran inside the box's own loop";
    EXPECT_EQ(Slots(), u"L0|L0|L4|L1|L1|");
    EXPECT_TRUE(PumpUntil([&] { return out.destroyed.load(); }));
  }
  {
    SCOPED_TRACE("modal window");
    for (int i = 0; i < 5; ++i) *kSlots[i] = kSlotMarks[i];
    ReklamLoaded = false;
    RandomState = 0;
    TForm modal(TBorderStyle::ToolWindow, TPosition::ScreenCenter, 200, 80, TFontSpec{});
    LoopbackServer server(Sends(Reply200(list)));
    Outcome out;
    bool was_modal = false;
    Start(server.Url(), path, out, [&] {
      was_modal = modal.Modal();
      modal.SetModalResult(mrOk);
    });
    TTimer guard;
    guard.SetInterval(15000);
    guard.SetOnTimer([&](TObject*) { modal.SetModalResult(mrCancel); });
    EXPECT_EQ(modal.ShowModal(), mrOk);
    EXPECT_TRUE(was_modal);
    EXPECT_EQ(Slots(), u"L0|L0|L4|L1|L1|");
    EXPECT_TRUE(ReklamLoaded);
    EXPECT_TRUE(PumpUntil([&] { return out.destroyed.load(); }));
  }
}

// A draw source that takes its time and opens a gate at its first draw, so the reply is sent
// once the generation is under way.
class GatedSlowSource final : public TDrawSource {
public:
  explicit GatedSlowSource(HANDLE gate) : gate_(gate) {}
  void DrawMany(std::uint32_t range, std::span<std::uint32_t> out) override {
    SetEvent(gate_);
    Sleep(2);
    for (auto& v : out) v = (draws++) % range;
  }
  std::atomic<long> draws{0};

private:
  HANDLE gate_;
};

TEST_F(DownloadTest, TheCompletionRunsInTheMiddleOfALongGeneration) {
  TMainForm form;
  form.TimerReklamUpdate.SetEnabled(false);
  TUniqueKernelHandle generating(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  GatedSlowSource source(generating.Get());
  LoopbackServer server([&](LoopbackServer::Connection& c) {
    WaitForSingleObject(generating.Get(), 15000);
    c.Send(Reply200("L0\r\nL1\r\nL2\r\nL3\r\nL4\r\nL5\r\n"));
  });
  Outcome out;
  long draws_at_completion = -1;
  Start(server.Url(), BannerCachePath(dir_), out, [&] { draws_at_completion = source.draws; });
  constexpr std::int32_t kLength = 256 * 1000;  // a thousand blocks of at least 2 ms
  std::wstring password;
  form.GenRandomPass(L"abcdefghij", kLength, password, source);
  EXPECT_EQ(password.size(), static_cast<std::size_t>(kLength));
  EXPECT_TRUE(out.completed);
  EXPECT_GT(draws_at_completion, 0);
  EXPECT_LT(draws_at_completion, kLength) << "the handler ran between two blocks of characters";
  // The generator drew from its own source; the five slot draws took the LCG's first five steps.
  EXPECT_EQ(Slots(), u"L0|L0|L4|L1|L1|");
  EXPECT_EQ(RandomState, 1172187917u);
  EXPECT_TRUE(PumpUntil([&] { return out.destroyed.load(); }));
}

TEST_F(DownloadTest, TheMainWindowsHandlerReadsTheCacheUnderTheUsersApplicationData) {
  const std::wstring appdata = GetSpecialFolderPath(CSIDL_APPDATA);
  ASSERT_FALSE(appdata.empty());
  EXPECT_NE(appdata.back(), L'\\');
  EXPECT_TRUE(GetFileAttributesW(appdata.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetSpecialFolderPath(0xFF), L"") << "a folder the shell does not know";
  const std::wstring cache = BannerCachePath(appdata);
  ASSERT_EQ(cache, appdata + L"\\Corvanix\\Ostrel\\reclam.txt");

  // Whatever a run of the program left there is put back afterwards, and what the test made goes.
  const std::optional<std::string> before = FileExists(cache) ? std::optional(ReadBytes(cache)) : std::nullopt;
  const std::wstring folders[] = {appdata + L"\\Corvanix", appdata + L"\\Corvanix\\Ostrel"};
  bool made[2] = {};
  for (int i = 0; i < 2; ++i) made[i] = CreateDirectoryW(folders[i].c_str(), nullptr) != FALSE;
  WriteBytes(cache, "real\r\nlast\r\n");
  TMainForm form;
  form.TimerReklamUpdate.SetEnabled(false);
  form.thrTerminate(&form);
  EXPECT_EQ(Slots(), u"real|real|real|real|real|");
  EXPECT_TRUE(ReklamLoaded);
  EXPECT_EQ(form.LabelReclam.Text(), Wide(SiteURL)) << "the rotation shows the slots, not the handler";
  if (before) {
    WriteBytes(cache, *before);
  } else {
    DeleteFileW(cache.c_str());
  }
  for (int i = 1; i >= 0; --i) {
    if (made[i]) RemoveDirectoryW(folders[i].c_str());
  }
}

}  // namespace
