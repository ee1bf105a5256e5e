// Pictures of the wizard's windows, taken from the screen as a person sees them.
#include "robot/robot.h"
#include "robot/internal.h"

#include <climits>
#include <cstdlib>

namespace robot {

// A 32-bit top-down picture: BGRX bytes, width * height pixels.
struct Picture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
};

// A memory DC with a 32-bit top-down DIB section selected, for drawing and reading back.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    DWORD *bits = nullptr;
};

static bool OpenCanvas(Canvas *canvas, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    canvas->dc = CreateCompatibleDC(nullptr);
    void *bits = nullptr;
    canvas->bitmap = CreateDIBSection(canvas->dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!canvas->dc || !canvas->bitmap) {
        if (canvas->dc)
            DeleteDC(canvas->dc);
        return false;
    }
    canvas->old = SelectObject(canvas->dc, canvas->bitmap);
    canvas->bits = (DWORD *)bits;
    return true;
}

static void CloseCanvas(Canvas *canvas) {
    SelectObject(canvas->dc, canvas->old);
    DeleteObject(canvas->bitmap);
    DeleteDC(canvas->dc);
}

static bool CaptureScreen(const RECT &area, Picture *picture) {
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;
    Canvas canvas;
    if (!OpenCanvas(&canvas, width, height))
        return false;
    HDC screen = GetDC(nullptr);
    BOOL ok = BitBlt(canvas.dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    if (ok) {
        picture->width = width;
        picture->height = height;
        picture->pixels.assign(canvas.bits, canvas.bits + (size_t)width * height);
    }
    CloseCanvas(&canvas);
    return ok != 0;
}

bool SaveScreenshot(HWND window, const std::string &path) {
    RECT area;
    if (!GetWindowRect(window, &area))
        return false;
    Picture picture;
    if (!CaptureScreen(area, &picture))
        return false;
    int rowSize = (picture.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + (DWORD)rowSize * picture.height;
    header.biSize = sizeof header;
    header.biWidth = picture.width;
    header.biHeight = picture.height; // bottom-up
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = (DWORD)rowSize * picture.height;
    std::string data((const char *)&file, sizeof file);
    data.append((const char *)&header, sizeof header);
    std::string row(rowSize, '\0');
    for (int y = picture.height - 1; y >= 0; y--) {
        for (int x = 0; x < picture.width; x++) {
            DWORD pixel = picture.pixels[(size_t)y * picture.width + x];
            row[x * 3] = (char)(pixel & 0xFF);
            row[x * 3 + 1] = (char)((pixel >> 8) & 0xFF);
            row[x * 3 + 2] = (char)((pixel >> 16) & 0xFF);
        }
        data += row;
    }
    return WriteTextFile(path, data);
}

bool CaptureClient(HWND window, ClientPicture *picture) {
    RECT client;
    if (!GetClientRect(window, &client))
        return false;
    MapWindowPoints(window, nullptr, (POINT *)&client, 2);
    Picture shown;
    if (!CaptureScreen(client, &shown))
        return false;
    picture->width = shown.width;
    picture->height = shown.height;
    picture->pixels.resize(shown.pixels.size());
    for (size_t i = 0; i < shown.pixels.size(); i++)
        picture->pixels[i] = shown.pixels[i] & 0xFFFFFF;
    return true;
}

// Mean difference per colour channel between two pictures of the same size.
static int Difference(const DWORD *a, const DWORD *b, size_t count) {
    unsigned long long total = 0;
    for (size_t i = 0; i < count; i++)
        for (int shift = 0; shift < 24; shift += 8)
            total += abs((int)((a[i] >> shift) & 0xFF) - (int)((b[i] >> shift) & 0xFF));
    return count ? (int)(total / (count * 3)) : INT_MAX;
}

std::string IconShown(HWND dialog, int id) {
    return IconOf(GetDlgItem(dialog, id));
}

std::string WaitForIcon(HWND control, const std::string &expected, DWORD timeoutMs) {
    ULONGLONG end = Now() + timeoutMs;
    std::string shown = IconOf(control);
    while (shown != expected && Now() < end) {
        Pump(50);
        shown = IconOf(control);
    }
    return shown;
}

std::string IconOf(HWND control) {
    RECT area;
    if (!control || !IsWindowVisible(control) || !GetWindowRect(control, &area))
        return std::string();
    Picture shown;
    if (!CaptureScreen(area, &shown))
        return std::string();
    static const struct {
        WORD icon;
        const char *name;
    } kIcons[] = {{32513, "hand"},
                  {32514, "question"},
                  {32515, "exclamation"},
                  {32516, "asterisk"},
                  {32512, "application"}};
    // The icon's transparent corner shows the control's background.
    DWORD background = shown.pixels[0];
    COLORREF fill = RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF);
    std::string best;
    int bestDifference = INT_MAX;
    for (const auto &candidate : kIcons) {
        HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(candidate.icon));
        // Drawn both at the icon's own size and stretched over the control.
        for (int stretch = 0; stretch < 2; stretch++) {
            Canvas canvas;
            if (!OpenCanvas(&canvas, shown.width, shown.height))
                continue;
            HBRUSH brush = CreateSolidBrush(fill);
            RECT all = {0, 0, shown.width, shown.height};
            FillRect(canvas.dc, &all, brush);
            DeleteObject(brush);
            DrawIconEx(canvas.dc, 0, 0, icon, stretch ? shown.width : 0, stretch ? shown.height : 0,
                       0, nullptr, DI_NORMAL);
            GdiFlush();
            int difference = Difference(canvas.bits, shown.pixels.data(), shown.pixels.size());
            CloseCanvas(&canvas);
            if (difference < bestDifference) {
                bestDifference = difference;
                best = candidate.name;
            }
        }
    }
    return bestDifference <= 12 ? best : std::string();
}

} // namespace robot
