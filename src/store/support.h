// A member's download link and the customer-service contact image: the
// address rules and the support worker. CMainWnd's members for both are
// defined beside these.
#pragma once
#include <windows.h>

#include <string>

// The contact image's address from the support reply's qq_image_url: a path
// ("/…") is taken from the base address's own origin, written with its port
// ("%s://%s:%d"); anything else is used as it stands. Empty when the reply
// names no address or the base address cannot be split.
std::wstring SupportImageUrl(const std::string& reply, const std::wstring& apiBase);

// The download query for a version name, percent-encoded as UTF-8.
std::wstring GameDownloadPath(const std::wstring& name);

// Thread procedure of the support worker; takes ownership of its job.
DWORD WINAPI SupportWorker(LPVOID job);
