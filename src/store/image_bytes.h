// Turns image bytes received from the backend (PNG and the other formats
// GDI+ decodes) into a bitmap, and fetches such images.
#pragma once
#include <windows.h>

#include <string>

#include "store/http.h"
#include "util/handles.h"

// A 32-bit HBITMAP of the decoded image on a transparent black background,
// or null when the bytes cannot be decoded or are refused unread (see
// IsImageWorthDecoding). GDI+ must be started.
HBITMAP LoadImageBytes(const std::string& bytes);

// An image fetched from the backend. Only a non-empty reply replaces the
// picture it is meant for; one that did not decode then leaves none.
struct FetchedImage {
    bool replied = false;
    GdiObject<HBITMAP> bitmap;
};

// GET url and decode the reply; blocks the calling thread, which must hold
// GDI+ (see GdiplusSession).
FetchedImage FetchImage(const std::wstring& url, TargetLimit limit, HttpCancel* cancel = nullptr);

// Keeps GDI+ started for one scope: a worker that decodes images holds one,
// so GDI+ stays up while it runs even if the window has shut its own down.
class GdiplusSession {
public:
    GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    ~GdiplusSession();

private:
    ULONG_PTR m_token = 0;
    bool m_started = false;
};
