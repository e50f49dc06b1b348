#pragma once
// "option.ini" next to the executable: the remembered login and, optionally, the update
// server's address.
//
// [HELPER] remember=0|1, username=..., password=...   (written by SaveLoginOptions)
// [SERVER] host=..., http=...                          (never written; set by an administrator)

#include <string>

namespace kest {

// The built-in server host: where kest-update-server listens by default.
inline constexpr const char* kDefaultServerHost = "127.0.0.1:47080";

// Program folder + "/option.ini", unless SetOptionFilePath changed it.
std::string OptionFilePath();
// Points the settings at another file (tests; the CLI's --config). Also forgets the cached URL.
void SetOptionFilePath(const std::string& path);

// True and both filled when "remember" is non-zero; otherwise both empty and false.
bool LoadLoginOptions(std::string& account, std::string& password);
// Writes remember=1 with both keys, or remember=0 and deletes both keys. Keeps every other
// section, key and comment; the file is replaced atomically and readable by its owner only.
// False when the file could not be written.
bool SaveLoginOptions(bool remember, const std::string& account, const std::string& password);

// [SERVER] host, read at every call (default kDefaultServerHost), cut to 126 characters.
std::string GetServerHost();
// The base URL of every request: [SERVER] http, default "http://" + GetServerHost(); read once
// and then kept for the life of the process.
std::string GetServerUrl();
// Fixes the base URL from outside (the CLI's --server option, tests against a server on a port
// of their own). An empty text forgets it, so the next GetServerUrl() reads the file again.
void OverrideServerUrl(const std::string& url);

}  // namespace kest
