// The dialog templates as the test program links them (the program's own resources), and
// the check that compares a dialog the platform creates from one with it, control by
// control, in pixels of that very dialog.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace geometry {

// One control: identifier (-1 for none), window class, style, x, y, cx, cy.
struct Control {
    int id;
    std::string className;
    DWORD style;
    int x, y, cx, cy;
};

// One template: resource name, typeface (8 points), client size and controls in template
// (creation) order.
struct Template {
    std::string name, face;
    int cx, cy;
    std::vector<Control> controls;
};

// ---- The templates as this test program links them ----

// Reads the resource script's templates from the test program's own resources, which are
// the program's (DLGTEMPLATE or DLGTEMPLATEEX).
class TemplateReader {
  public:
    explicit TemplateReader(const void *data) : at((const BYTE *)data), base(at) {}

    template <typename T> T Next() {
        T value;
        memcpy(&value, at, sizeof value);
        at += sizeof value;
        return value;
    }
    std::string Text() {
        std::string text;
        for (WORD c; (c = Next<WORD>()) != 0;)
            text += (char)c; // the templates' names, faces and classes are ASCII
        return text;
    }
    // A name or an ordinal; the predefined window classes by their names.
    std::string NameOrOrdinal() {
        WORD first;
        memcpy(&first, at, sizeof first);
        if (first != 0xFFFF)
            return Text();
        at += 2;
        WORD ordinal = Next<WORD>();
        static const char *const classes[] = {"Button",  "Edit",      "Static",
                                              "ListBox", "ScrollBar", "ComboBox"};
        return ordinal >= 0x80 && ordinal <= 0x85 ? classes[ordinal - 0x80]
                                                  : "#" + std::to_string(ordinal);
    }
    void Align() {
        at = base + ((at - base + 3) & ~3);
    }

  private:
    const BYTE *at, *base;
};

inline Template FromResources(const std::string &name) {
    Template t = {name, "", 0, 0, {}};
    HRSRC found = FindResourceA(NULL, name.c_str(), RT_DIALOG);
    if (!found)
        return t;
    TemplateReader read(LockResource(LoadResource(NULL, found)));
    // Version 1 and the signature 0xFFFF open an extended template; a plain one opens with
    // its style.
    DWORD style = read.Next<DWORD>();
    bool extended = style == 0xFFFF0001;
    if (extended) {
        read.Next<DWORD>(); // help identifier
        read.Next<DWORD>(); // extended style
        style = read.Next<DWORD>();
    } else {
        read.Next<DWORD>(); // extended style
    }
    WORD count = read.Next<WORD>();
    read.Next<DWORD>(); // x, y
    t.cx = read.Next<short>();
    t.cy = read.Next<short>();
    read.NameOrOrdinal(); // menu
    read.NameOrOrdinal(); // window class
    read.Text();          // caption
    if (style & DS_SETFONT) {
        read.Next<WORD>();
        if (extended)
            read.Next<DWORD>(); // weight, italic, character set
        t.face = read.Text();
    }
    for (WORD i = 0; i < count; i++) {
        read.Align();
        Control c;
        if (extended)
            read.Next<DWORD>(); // help identifier
        DWORD first = read.Next<DWORD>(), second = read.Next<DWORD>();
        c.style = extended ? second : first;
        c.x = read.Next<short>();
        c.y = read.Next<short>();
        c.cx = read.Next<short>();
        c.cy = read.Next<short>();
        c.id = extended ? (int)read.Next<DWORD>() : (short)read.Next<WORD>();
        c.className = read.NameOrOrdinal();
        read.NameOrOrdinal(); // text
        for (WORD extra = read.Next<WORD>(); extra > 0; extra--)
            read.Next<BYTE>();
        t.controls.push_back(c);
    }
    return t;
}

// The names of the program's dialog templates.
inline std::vector<std::string> DialogNames() {
    std::vector<std::string> names;
    EnumResourceNamesA(
        NULL, RT_DIALOG,
        [](HMODULE, LPCSTR, LPSTR name, LONG_PTR list) -> BOOL {
            if (!IS_INTRESOURCE(name))
                ((std::vector<std::string> *)list)->push_back(name);
            return TRUE;
        },
        (LONG_PTR)&names);
    return names;
}

// ---- Measuring a created dialog ----

// The dialog procedure of the measurements: handles nothing, so the dialog stays exactly as
// the platform built it from the template (list boxes ask for item heights and get the
// default; nothing ends the dialog).
inline INT_PTR CALLBACK Inert(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

// Dialog base units in pixels: a quarter of `x` is one horizontal dialog unit, an eighth of
// `y` one vertical unit.
struct BaseUnits {
    LONG x, y;
};

// The base units of a template in `face`, 8 points, wherever that face is installed: those
// of the face in the Western character set, measured as the dialog manager measures a
// dialog's font (the average width of the 52 Latin letters, (width / 26 + 1) / 2, and their
// height). The dialog manager asks for the face by name, with no character set that would
// outweigh it (Wine's asks with DEFAULT_CHARSET), and Windows of every language keeps an
// installed face then: a Korean page has the pixels of the English one, its Hangul drawn
// by a linked font, whatever font that is.
inline BaseUnits TypefaceUnits(const char *face) {
    HDC screen = GetDC(NULL);
    LOGFONTA logfont = {};
    logfont.lfHeight = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    logfont.lfWeight = FW_NORMAL;
    logfont.lfCharSet = ANSI_CHARSET;
    logfont.lfQuality = PROOF_QUALITY;
    lstrcpynA(logfont.lfFaceName, face, LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&logfont);
    HGDIOBJ old = SelectObject(screen, font);
    SIZE letters = {0, 0};
    GetTextExtentPoint32A(screen, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", 52,
                          &letters);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(NULL, screen);
    return {(letters.cx / 26 + 1) / 2, letters.cy};
}

// The base units a created dialog converts with.
inline BaseUnits DialogUnits(HWND dialog) {
    RECT units = {0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    return {units.right, units.bottom};
}

// Template dialog units in pixels. Each of x, y, cx and cy is converted on its own, as the
// platform does when it creates the control.
inline RECT Pixels(BaseUnits units, int x, int y, int cx, int cy) {
    return {MulDiv(x, units.x, 4), MulDiv(y, units.y, 8), MulDiv(cx, units.x, 4),
            MulDiv(cy, units.y, 8)}; // left, top, width, height
}

// A control's window rectangle in the dialog's client coordinates.
inline RECT PlacedRect(HWND dialog, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(NULL, dialog, (POINT *)&rect, 2);
    return rect;
}

// The children of a dialog in creation order (the dialog manager puts each new control at
// the bottom of the z-order).
inline std::vector<HWND> Children(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

inline std::string ClassName(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Size in pixels of the picture a static image control shows; false when it shows none.
inline bool ImageSize(HWND control, DWORD style, SIZE *size) {
    if ((style & SS_TYPEMASK) == SS_BITMAP) {
        HBITMAP bitmap = (HBITMAP)SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0);
        BITMAP info;
        if (!bitmap || !GetObjectA(bitmap, sizeof info, &info))
            return false;
        *size = {info.bmWidth, info.bmHeight};
        return true;
    }
    HICON icon = (HICON)SendMessageA(control, STM_GETICON, 0, 0);
    ICONINFO info;
    if (!icon || !GetIconInfo(icon, &info))
        return false;
    BITMAP mask;
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    // A monochrome icon keeps its AND and XOR masks stacked in one bitmap.
    *size = {mask.bmWidth, info.hbmColor ? mask.bmHeight : mask.bmHeight / 2};
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

inline std::string Describe(const RECT &r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") " +
           std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top);
}

// Saves what `window` shows, frame included, as a 24-bit BMP file. False on any failure.
inline bool SaveWindowPicture(HWND window, const std::string &path) {
    RECT frame;
    GetWindowRect(window, &frame);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0)
        return false;
    HDC source = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFOHEADER header = {sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = NULL;
    HBITMAP picture =
        CreateDIBSection(source, (BITMAPINFO *)&header, DIB_RGB_COLORS, &bits, NULL, 0);
    bool ok = picture && bits;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, picture);
        ok = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
        GdiFlush();
        SelectObject(memory, old);
    }
    DWORD rowBytes = ((DWORD)width * 3 + 3) & ~3u, imageBytes = rowBytes * (DWORD)height;
    if (ok) {
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42; // "BM"
        file.bfOffBits = sizeof file + sizeof header;
        file.bfSize = file.bfOffBits + imageBytes;
        header.biSizeImage = imageBytes;
        HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, NULL);
        ok = out != INVALID_HANDLE_VALUE;
        if (ok) {
            auto put = [out](const void *data, DWORD size) {
                DWORD written = 0;
                return WriteFile(out, data, size, &written, NULL) && written == size;
            };
            ok = put(&file, sizeof file) && put(&header, sizeof header) && put(bits, imageBytes);
            CloseHandle(out);
        }
    }
    if (picture)
        DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return ok;
}

// Where the pictures of the created dialogs go: a folder "geometry" in the build tree
// (DRVSETUP_BIN, a Unix path reached through drive Z:); empty when that is unknown.
inline std::string PictureFolder() {
    const char *bin = getenv("DRVSETUP_BIN");
    if (!bin || !*bin)
        return "";
    std::string folder = std::string("Z:") + bin + "/geometry";
    for (char &c : folder)
        if (c == '/')
            c = '\\';
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

// Lets the dialog paint itself.
inline void Pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while ((int)(end - GetTickCount()) > 0);
}

// Checks one control against its template entry. Most controls must sit exactly on the
// template's rectangle. Static image controls are sized by the platform as it loads their
// picture, so for them the position is exact and the size follows the picture:
//  - SS_BITMAP without SS_CENTERIMAGE or SS_REALSIZECONTROL takes the bitmap's size. With
//    SS_REALSIZEIMAGE Windows keeps the template's size and clips the picture; Wine resizes
//    these too, so either is accepted there.
//  - SS_ICON with an icon takes the icon's size; one still waiting for its icon (empty
//    template text, set later by the program) keeps the template's size.
inline void CheckControl(HWND dialog, BaseUnits units, HWND control, const Control &expected) {
    SCOPED_TRACE("control " + std::to_string(expected.id) + " at " + std::to_string(expected.x) +
                 ", " + std::to_string(expected.y) + " (dialog units)");
    EXPECT_EQ(0, lstrcmpiA(ClassName(control).c_str(), expected.className.c_str()))
        << "class " << ClassName(control);
    EXPECT_EQ(expected.id, (int)(short)GetDlgCtrlID(control));

    RECT want = Pixels(units, expected.x, expected.y, expected.cx, expected.cy);
    RECT got = PlacedRect(dialog, control);
    EXPECT_EQ(want.left, got.left) << "placed at " << Describe(got);
    EXPECT_EQ(want.top, got.top) << "placed at " << Describe(got);
    LONG width = got.right - got.left, height = got.bottom - got.top;

    DWORD type = expected.style & SS_TYPEMASK;
    bool image =
        !lstrcmpiA(expected.className.c_str(), "Static") && (type == SS_BITMAP || type == SS_ICON);
    bool resizes = !(expected.style & (SS_CENTERIMAGE | SS_REALSIZECONTROL));
    SIZE picture = {0, 0};
    bool shows = image && ImageSize(control, expected.style, &picture);
    if (type == SS_BITMAP && image) {
        ASSERT_TRUE(shows) << "the bitmap static shows no bitmap";
        bool kept = width == want.right && height == want.bottom;
        bool sized = width == picture.cx && height == picture.cy;
        std::string sizes = Describe(got) + ", template " + std::to_string(want.right) + " x " +
                            std::to_string(want.bottom) + ", bitmap " + std::to_string(picture.cx) +
                            " x " + std::to_string(picture.cy);
        if (!resizes) {
            EXPECT_TRUE(kept) << sizes;
        } else if (expected.style & SS_REALSIZEIMAGE) {
            EXPECT_TRUE(kept || sized) << sizes;
        } else {
            EXPECT_TRUE(sized) << sizes;
        }
    } else if (type == SS_ICON && image && shows && resizes) {
        EXPECT_EQ(picture.cx, width) << "icon " << picture.cx << " x " << picture.cy;
        EXPECT_EQ(picture.cy, height) << "icon " << picture.cx << " x " << picture.cy;
    } else {
        EXPECT_EQ(want.right, width) << "placed at " << Describe(got);
        EXPECT_EQ(want.bottom, height) << "placed at " << Describe(got);
    }
}

// Creates the template `expected.name` from the program's own resources, owned by `owner`,
// and checks that it converts with the base units of its typeface (TypefaceUnits) and that
// its client size and every control are the template's, in those units; then saves a
// picture of it as `pictureName`.bmp when a picture folder is known.
inline void CheckTemplate(const Template &expected, HWND owner, const std::string &pictureName) {
    SCOPED_TRACE(expected.name);
    HWND dialog =
        CreateDialogParamA(GetModuleHandleA(NULL), expected.name.c_str(), owner, Inert, 0);
    ASSERT_TRUE(dialog) << "cannot create " << expected.name << ", error " << GetLastError();

    BaseUnits units = TypefaceUnits(expected.face.c_str()), own = DialogUnits(dialog);
    EXPECT_EQ(units.x, own.x) << "horizontal base unit; " << expected.face << " 8 pt has "
                              << units.x << " x " << units.y;
    EXPECT_EQ(units.y, own.y) << "vertical base unit; " << expected.face << " 8 pt has " << units.x
                              << " x " << units.y;
    RECT client, want = Pixels(units, 0, 0, expected.cx, expected.cy);
    GetClientRect(dialog, &client);
    EXPECT_EQ(want.right, client.right) << "client width";
    EXPECT_EQ(want.bottom, client.bottom) << "client height";

    std::vector<HWND> children = Children(dialog);
    EXPECT_EQ(expected.controls.size(), children.size()) << "number of controls";
    for (size_t i = 0; i < children.size() && i < expected.controls.size(); i++)
        CheckControl(dialog, units, children[i], expected.controls[i]);

    std::string folder = PictureFolder();
    if (!folder.empty()) {
        ShowWindow(dialog, SW_SHOWNOACTIVATE);
        UpdateWindow(dialog);
        Pump(150);
        std::string path = folder + "\\" + pictureName + ".bmp";
        EXPECT_TRUE(SaveWindowPicture(dialog, path)) << path;
    }
    DestroyWindow(dialog);
}

} // namespace geometry
