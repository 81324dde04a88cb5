// The banner download: the worker thread that fetches the banner list into its cache file, and
// the completion step that fills the banner's text slots from that file.
#pragma once

#include <string>

#include "toolkit/thread_win.h"

// The banner cache file under folder, the user's application-data folder:
// folder + "\Corvanix\" + ProductFolder + "\reclam.txt".
std::wstring BannerCachePath(const std::wstring& folder);

// The download worker. Created suspended; URL and ToFolder are set before Start and not touched
// by anyone after it. The program sets FreeOnTerminate and makes OnTerminate fill the slots.
class TDownLoader : public TThread {
public:
  // The address to fetch.
  void SetURL(std::u16string url) { FURL = std::move(url); }
  // Despite its name, the full path of the cache file.
  void SetToFolder(std::wstring path) { FToFolder = std::move(path); }

protected:
  // Creates the missing folders of ToFolder outermost first, creates or truncates the cache file
  // with no sharing before any byte is requested, and fetches URL straight into it; the client
  // and the file are released on every path. Every failure throws and ends up in FatalException:
  // a ToFolder that does not start at a drive or a network share (so a failed folder lookup
  // writes nothing under the root of the current drive), "Cannot create file "<path>". <reason>",
  // or the HTTP client's errors, after which the file holds what the body brought so far: at
  // most MaxBodyLength bytes, cut back to whole lines when the body is longer. A reply that fails
  // or ends early is not drained: its connection is closed at once, unread bytes and all.
  void Execute() override;

private:
  std::u16string FURL;
  std::wstring FToFolder;
};

// Reads the cache file at path as a line-list file and, when it holds at least one line, fills
// ReklamText1 to ReklamText5 in turn with the line DrawRandom picks for the range Count - 1: the
// last line is never drawn, and a list of one or two lines gives its first line to every slot.
// Sets ReklamLoaded on every path. A file that cannot be loaded (missing, held by another
// program, larger than MaxBodyLength, the most a download writes) and a path that starts at no
// drive and no network share (a failed folder lookup) leave the slots as they are and are not
// reported. GUI thread only.
void LoadBannerList(const std::wstring& path);
