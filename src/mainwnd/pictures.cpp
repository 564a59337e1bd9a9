// Decoding the window's embedded pictures, on the window thread or ahead of
// need on a thread of their own (see pictures.h).
#include "mainwnd/pictures.h"

#include "draw/gdiplus.h"

#include <cstring>

#include "draw/toolkit.h"
#include "util/handles.h"

namespace {

HBITMAP ToHBitmap(Gdiplus::Bitmap* bitmap) {
    HBITMAP hbmp = nullptr;
    if (bitmap && bitmap->GetLastStatus() == Gdiplus::Ok) {
        if (bitmap->GetHBITMAP(Gdiplus::Color(0, 0, 0, 0), &hbmp) != Gdiplus::Ok) hbmp = nullptr;
    }
    return hbmp;
}

}  // namespace

HBITMAP DecodePngResource(UINT id) {
    const HMODULE module = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!res) return nullptr;
    HGLOBAL loaded = LoadResource(module, res);
    const DWORD size = SizeofResource(module, res);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return nullptr;

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return nullptr;
    void* dst = GlobalLock(block);
    if (!dst) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(dst, bytes, size);
    GlobalUnlock(block);

    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, stream.put()))) {
        GlobalFree(block);
        return nullptr;
    }
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream.get(), FALSE));
    return ToHBitmap(bitmap.get());
}

HBITMAP DecodePngFile(const std::wstring& path) {
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromFile(path.c_str(), FALSE));
    return ToHBitmap(bitmap.get());
}

std::wstring PictureFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    const size_t slash = folder.find_last_of(L'\\');
    return (slash == std::wstring::npos ? std::wstring(L".") : folder.substr(0, slash)) + L"\\res\\";
}

HBITMAP DecodePicture(const PictureSlot& slot) {
    if (HBITMAP bitmap = DecodePngResource(slot.id)) return bitmap;
    return DecodePngFile(PictureFolder() + slot.file);
}

HBITMAP FitPicture(HBITMAP picture, SIZE size) {
    if (!picture || size.cx <= 0 || size.cy <= 0) return nullptr;
    MemoryDC canvas(nullptr);
    if (!canvas) return nullptr;
    // A fresh DIB section is zero: black, as every paint starts.
    GdiObject<HBITMAP> fitted(CreateCanvasBitmap(canvas.get(), size.cx, size.cy));
    if (!fitted) return nullptr;
    {
        ScopedSelect select(canvas.get(), fitted.get());
        BlitBitmap(canvas.get(), picture, 0, 0, size.cx, size.cy);
    }
    GdiFlush();
    return fitted.release();
}

PictureDecoder::~PictureDecoder() {
    // The owner takes its pictures before it goes; whatever is left has no
    // field to go to any more and is freed here.
    if (!m_job) return;
    if (m_thread) WaitForSingleObject(m_thread.get(), INFINITE);
    for (const Job::Made& made : m_job->made) {
        for (HBITMAP bitmap : {made.picture, made.fitted}) {
            if (bitmap) DeleteObject(bitmap);
        }
    }
}

void PictureDecoder::Start(std::vector<PictureSlot> slots) {
    m_started = true;
    auto job = std::make_unique<Job>();
    job->slots = std::move(slots);
    job->made.resize(job->slots.size());
    m_thread.reset(CreateThread(nullptr, 0, Run, job.get(), 0, nullptr));
    m_job = std::move(job);
    if (!m_thread) {
        Run(m_job.get());
    }
}

void PictureDecoder::Job::PostIfDecoded() {
    if (!decoded.load()) return;
    if (HWND wnd = notify.exchange(nullptr)) PostMessageW(wnd, message, 0, 0);
}

void PictureDecoder::NotifyWhenDecoded(HWND wnd, UINT message) {
    if (!m_job) {
        PostMessageW(wnd, message, 0, 0);
        return;
    }
    m_job->message = message;
    m_job->notify.store(wnd);
    m_job->PostIfDecoded();
}

bool PictureDecoder::Deliver(bool wait) {
    if (!m_job) return true;
    if (m_thread) {
        // Once the pictures are decoded the thread only posts and returns: its
        // message may arrive before it has ended, and must not find nothing.
        const bool decoded = m_job->decoded.load();
        if (WaitForSingleObject(m_thread.get(), wait || decoded ? INFINITE : 0) != WAIT_OBJECT_0) return false;
        m_thread.reset();
    }
    for (size_t i = 0; i < m_job->slots.size(); ++i) {
        const PictureSlot& slot = m_job->slots[i];
        const Job::Made& made = m_job->made[i];
        *slot.field = made.picture;
        if (slot.fitted) {
            if (slot.fitted->bitmap) DeleteObject(slot.fitted->bitmap);
            *slot.fitted = {made.picture, slot.fitSize, made.fitted};
        }
    }
    m_job.reset();
    return true;
}

DWORD WINAPI PictureDecoder::Run(LPVOID param) {
    auto* job = static_cast<Job*>(param);
    // The window's GDI+ serves: the window takes the pictures, waiting for
    // this thread if need be, before it shuts GDI+ down.
    for (size_t i = 0; i < job->slots.size(); ++i) {
        const PictureSlot& slot = job->slots[i];
        Job::Made& made = job->made[i];
        made.picture = DecodePicture(slot);
        if (slot.fitted) made.fitted = FitPicture(made.picture, slot.fitSize);
    }
    job->decoded.store(true);
    job->PostIfDecoded();
    return 0;
}
