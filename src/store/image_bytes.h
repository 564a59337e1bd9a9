// Turns image bytes received from the backend (PNG and the other formats
// GDI+ decodes) into a bitmap.
#pragma once
#include <windows.h>

#include <string>

// A 32-bit HBITMAP of the decoded image on a transparent black background,
// or null when the bytes cannot be decoded. GDI+ must be started.
HBITMAP LoadImageBytes(const std::string& bytes);
