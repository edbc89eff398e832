#pragma once
// The clipboard. Text goes through GLFW (UTF-8 on the wire; callers convert the program's 8-bit
// text with ToUnicode / FromUnicode). Images are device-independent bitmaps (a 40-byte header,
// bottom-up rows padded to 4 bytes, BGR) offered to other programs as "image/png" and
// "image/bmp" through our own X11 selection owner, and read back from whichever program owns
// the clipboard. Without an X11 display (tests, tools) both stay inside the process.

#include <cstdint>
#include <string>
#include <vector>

namespace brae::platform {

// ---- text ----
// Puts the 8-bit text and its Unicode form on the clipboard.
void SetClipboardText(const std::string& eight_bit, const std::u16string& unicode);
// The clipboard's Unicode text; false when it holds none.
bool GetClipboardUnicode(std::u16string* out);
// The 8-bit text we put there ourselves, while we still own the clipboard.
bool GetClipboardEightBit(std::string* out);

// ---- images ----
// Offers the bitmap (24 or 32 bits per pixel) to other programs; false when it is malformed.
bool SetClipboardDib(const std::vector<uint8_t>& dib);
// Reads an image from the clipboard (ours, or another program's PNG or BMP) as a bitmap.
bool GetClipboardDib(std::vector<uint8_t>* dib);

// Answers other programs' requests for our clipboard contents; called from PollEvents.
void ServeClipboard();
// The clipboard's own display connection, for waiting on it (-1 when there is none), and
// whether events already read from it wait to be served.
int ClipboardConnectionDescriptor();
bool ClipboardHasQueuedEvents();
// Uses only the in-process clipboard, even with a display (tests).
void SetClipboardInProcess(bool in_process);
void ClearClipboard();

// ---- conversions (no display needed) ----
// A BMP file is a 14-byte file header followed by the bitmap.
std::vector<uint8_t> DibToBmpFile(const std::vector<uint8_t>& dib);
bool BmpFileToDib(const std::vector<uint8_t>& file, std::vector<uint8_t>* dib);
bool DibToPng(const std::vector<uint8_t>& dib, std::vector<uint8_t>* png);
bool PngToDib(const std::vector<uint8_t>& png, std::vector<uint8_t>* dib);
// Top-down RGB rows of a 24- or 32-bit bitmap; false when the bitmap is malformed.
bool DecodeDib(const std::vector<uint8_t>& dib, int* width, int* height, std::vector<uint8_t>* rgb);
// A 24-bit bitmap of top-down RGB rows.
std::vector<uint8_t> EncodeDib(const std::vector<uint8_t>& rgb, int width, int height);

// UTF-8 helpers for the GLFW clipboard.
std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& text);

}  // namespace brae::platform
