// Decoding of image bytes through a global-memory stream and GDI+, image
// fetches, and the GDI+ sessions that decoding workers hold.
#include "store/image_bytes.h"

#include "draw/gdiplus.h"

#include <cstring>
#include <memory>

#include "store/image_header.h"
#include "util/handles.h"

HBITMAP LoadImageBytes(const std::string& bytes) {
    // Refused before any decoder sees it: something that is not an image of
    // a known kind, or one that would need gigabytes once decoded.
    if (!IsImageWorthDecoding(bytes)) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block) return nullptr;
    void* dest = GlobalLock(block);
    if (!dest) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(dest, bytes.data(), bytes.size());
    GlobalUnlock(block);

    // Releasing the stream frees the block; the bitmap goes before it.
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, stream.put())) || !stream) {
        GlobalFree(block);
        return nullptr;
    }

    HBITMAP result = nullptr;
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream.get(), FALSE));
    if (bitmap && bitmap->GetLastStatus() == Gdiplus::Ok) {
        if (bitmap->GetHBITMAP(Gdiplus::Color(0, 0, 0, 0), &result) != Gdiplus::Ok) result = nullptr;
    }
    return result;
}

FetchedImage FetchImage(const std::wstring& url, TargetLimit limit, HttpCancel* cancel) {
    FetchedImage image;
    std::string reply;
    if (!HttpRequest(url, L"GET", std::string(), reply, nullptr, limit, kMaxImageReply, cancel) || reply.empty()) {
        return image;
    }
    image.replied = true;
    image.bitmap.reset(LoadImageBytes(reply));
    return image;
}

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    m_started = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
}

GdiplusSession::~GdiplusSession() {
    if (m_started) Gdiplus::GdiplusShutdown(m_token);
}
