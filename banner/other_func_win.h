// Shell routines: opening an address in the user's default program and the paths of the shell's
// special folders.
#pragma once

#include <functional>
#include <string>

// Asks the shell to open a document or an address with its default program (ShellExecuteW,
// verb "open", shown normally). Nothing waits for the program and a refusal is not reported.
void OpenInShell(const std::wstring& address);

// When set, OpenInShell hands the address here instead of to the shell, so tests can see it
// without starting a browser.
extern std::function<void(const std::wstring& address)> OpenInShellOverride;

// The path of a shell special folder (a CSIDL_ number) for the current user, without a trailing
// backslash; the empty string when the shell cannot name it.
std::wstring GetSpecialFolderPath(int folder);
