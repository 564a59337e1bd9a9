// Decoding of image bytes through a global-memory stream and GDI+.
#include "store/image_bytes.h"

#include "draw/gdiplus.h"

#include <cstring>
#include <memory>

#include "util/handles.h"

HBITMAP LoadImageBytes(const std::string& bytes) {
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
