// The window's embedded pictures: decoding them from the program's
// resources (or the development folder's files), and a thread that decodes
// some of them while the window already paints.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "util/handles.h"

// A PNG resource of this module (RT_RCDATA) or a PNG file decoded with GDI+
// and converted on a fully transparent black background; null on failure.
// GDI+ must be started. Safe on any thread.
HBITMAP DecodePngResource(UINT id);
HBITMAP DecodePngFile(const std::wstring& path);

// The development folder's "res\" beside the running executable.
std::wstring PictureFolder();

// A picture stretched over a black canvas the way BlitBitmap stretches it,
// made ahead of the paint that needs it, so that paint is a copy.
struct FittedPicture {
    HBITMAP source = nullptr;  // the picture it was made from
    SIZE size = {};
    HBITMAP bitmap = nullptr;
};

// The picture stretched over a black 32-bit canvas of size; null on failure.
HBITMAP FitPicture(HBITMAP picture, SIZE size);

// One picture for a window field: its resource and the file to fall back on;
// with fitted set, also the picture fitted to fitSize.
struct PictureSlot {
    HBITMAP* field;
    UINT id;
    const wchar_t* file;
    FittedPicture* fitted = nullptr;
    SIZE fitSize = {};
};

// The picture of a slot: the resource, else the development folder's file.
HBITMAP DecodePicture(const PictureSlot& slot);

// Decodes slots on a thread of its own. The thread writes only its own
// results; the window thread puts them into their fields once it has ended,
// so a paint never sees a half-made picture.
class PictureDecoder {
public:
    PictureDecoder() = default;
    PictureDecoder(const PictureDecoder&) = delete;
    PictureDecoder& operator=(const PictureDecoder&) = delete;
    // Waits for the thread; pictures never handed over are freed.
    ~PictureDecoder();

    // Starts decoding; without a thread the slots are decoded at once.
    void Start(std::vector<PictureSlot> slots);
    bool Started() const { return m_started; }
    // Started and not yet delivered.
    bool Pending() const { return m_job != nullptr; }
    // Once the pictures are decoded (at once if they are already), posts
    // message to wnd, so the window can take them without waiting.
    void NotifyWhenDecoded(HWND wnd, UINT message);
    // Puts finished pictures into their fields: waiting for the thread, or
    // only if it has already decoded them. True when nothing is left pending.
    bool Deliver(bool wait);

private:
    struct Job {
        std::vector<PictureSlot> slots;
        // What the thread made of each slot.
        struct Made {
            HBITMAP picture = nullptr;
            HBITMAP fitted = nullptr;
        };
        std::vector<Made> made;
        std::atomic<bool> decoded{false};
        // Whoever of the thread and NotifyWhenDecoded sees both the target
        // and the end of decoding takes the target and posts.
        std::atomic<HWND> notify{nullptr};
        UINT message = 0;
        void PostIfDecoded();
    };
    static DWORD WINAPI Run(LPVOID job);

    std::unique_ptr<Job> m_job;
    UniqueHandle m_thread;
    bool m_started = false;
};
