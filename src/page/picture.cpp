#include "page/picture.h"

#include <cstdlib>

#include "resources/resource.h"

namespace {

HWND PictureOf(HWND page) {
    HWND picture = GetDlgItem(page, IDC_PICTURE);
    return picture != nullptr ? picture : GetDlgItem(page, IDC_PICTURE_PANEL);
}

// A copy of source at width x height, in source's own format. HALFTONE
// averages and interpolates, where the default mode would repeat and drop whole
// rows and columns.
HBITMAP Resample(HBITMAP source, const BITMAP& size, int width, int height) {
    HBITMAP scaled = nullptr;
    HDC from = CreateCompatibleDC(nullptr);
    HDC to = CreateCompatibleDC(nullptr);
    if (from != nullptr && to != nullptr) {
        HGDIOBJ oldFrom = SelectObject(from, source);
        scaled = CreateCompatibleBitmap(from, width, height);
        if (scaled != nullptr) {
            HGDIOBJ oldTo = SelectObject(to, scaled);
            SetStretchBltMode(to, HALFTONE);
            StretchBlt(to, 0, 0, width, height, from, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
            SelectObject(to, oldTo);
        }
        SelectObject(from, oldFrom);
    }
    if (from != nullptr) DeleteDC(from);
    if (to != nullptr) DeleteDC(to);
    return scaled;
}

}  // namespace

void ShowPagePicture(HWND page) {
    HWND picture = PictureOf(page);
    auto* source = reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP size;
    if (source == nullptr || GetObjectA(source, sizeof(size), &size) == 0 || size.bmWidth <= 0 || size.bmHeight <= 0) {
        return;
    }
    // The place is given in dialog units, so it grows with the page's font.
    RECT place = {0, 0, PICTURE_PLACE_CX, PICTURE_PLACE_CY};
    MapDialogRect(page, &place);
    int width = place.right;
    int height = size.bmHeight * width / size.bmWidth;
    if (height > place.bottom) {
        height = place.bottom;
        width = size.bmWidth * height / size.bmHeight;
    }
    // Close to its own size the picture keeps its own pixels: sharper than a
    // resampled copy a few pixels larger or smaller.
    if (std::abs(width - size.bmWidth) * 32 <= size.bmWidth) return;
    HBITMAP scaled = Resample(source, size, width, height);
    if (scaled == nullptr) return;
    auto* replaced = reinterpret_cast<HBITMAP>(
        SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled)));
    if (replaced != nullptr && replaced != scaled) DeleteObject(replaced);
}

void ReleasePagePicture(HWND page) {
    auto* shown = reinterpret_cast<HBITMAP>(SendMessageA(PictureOf(page), STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (shown != nullptr) DeleteObject(shown);
}
