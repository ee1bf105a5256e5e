// Owner-drawn icon lists and the picture panel on real list boxes and real device
// contexts: what FillIconList leaves in the list, and the pixels the drawing routines
// paint.
#include "res/resource.h"
#include "setupinfo/setupinfo.h"
#include "shell/session.h"
#include "ui/iconlist.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

// Counted by the test builds' seam: every enumeration of the spooler's ports.
extern unsigned g_seamPortEnumerations;

namespace {

enum { LIST_ID = 2033 };

// The page side of a list: answers WM_MEASUREITEM and WM_DRAWITEM as the pages do.
LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MEASUREITEM:
        MeasureIconListItem((MEASUREITEMSTRUCT *)lParam);
        return TRUE;
    case WM_DRAWITEM:
        if (((DRAWITEMSTRUCT *)lParam)->CtlID == LIST_ID)
            DrawIconListItem((const DRAWITEMSTRUCT *)lParam, ChoosePortIcon);
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Texts handed out by TestSource, and what it was asked for.
std::vector<const char *> g_texts;
std::vector<unsigned> g_asked;

// Writes g_texts[index]; a NULL there writes nothing at all.
void TestSource(unsigned index, char *text) {
    g_asked.push_back(index);
    if (index < g_texts.size() && g_texts[index])
        strcpy(text, g_texts[index]);
}

class IconList : public ::testing::Test {
  protected:
    HWND host = NULL;
    HWND list = NULL;

    void SetUp() override {
        memset(&g_session, 0, sizeof g_session);
        g_instance = GetModuleHandleA(NULL);
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = HostProc;
        windowClass.hInstance = g_instance;
        windowClass.lpszClassName = "IconListHost";
        RegisterClassA(&windowClass);
        host = CreateWindowExA(0, "IconListHost", "", WS_POPUP, 0, 0, 400, 300, NULL, NULL,
                               g_instance, NULL);
        ASSERT_TRUE(host);
        // The template's list style: owner-drawn, fixed height, with strings, unsorted.
        list = CreateWindowExA(0, "LISTBOX", "", 0x50A10151 & ~WS_VISIBLE, 10, 10, 300, 200, host,
                               (HMENU)(INT_PTR)LIST_ID, g_instance, NULL);
        ASSERT_TRUE(list);
        g_texts.clear();
        g_asked.clear();
    }

    void TearDown() override {
        DestroyWindow(host);
    }

    std::vector<std::string> Entries() {
        std::vector<std::string> entries;
        LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; i++) {
            char text[1024] = "";
            EXPECT_LT(SendMessageA(list, LB_GETTEXTLEN, i, 0), 1024);
            SendMessageA(list, LB_GETTEXT, i, (LPARAM)text);
            entries.push_back(text);
            EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, i, 0), i);
        }
        return entries;
    }

    void Fill(short count) {
        FillIconList(host, LIST_ID, count, TestSource);
    }
};

using V = std::vector<std::string>;

} // namespace

TEST_F(IconList, EachTextOnceAtItsFirstPlace) {
    g_texts = {"COM1:", "LPT1:", "com1:", "FILE:", "LPT1:"};
    Fill(5);
    EXPECT_EQ(Entries(), (V{"COM1:", "LPT1:", "FILE:"}));
    EXPECT_EQ(g_asked, (std::vector<unsigned>{0, 1, 2, 3, 4}));
    // The list's own height rule came through MeasureIconListItem.
    EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 34);
}

TEST_F(IconList, NoCountEmptiesTheList) {
    g_texts = {"A", "B"};
    Fill(2);
    ASSERT_EQ(Entries().size(), 2u);
    Fill(0);
    EXPECT_EQ(Entries(), V{});

    Fill(2);
    Fill(-1);
    EXPECT_EQ(Entries(), V{});
    // A count of 32768 or more arrives negative as a 16-bit number.
    Fill(2);
    Fill((short)(WORD)40000);
    EXPECT_EQ(Entries(), V{});
    EXPECT_EQ(g_asked.size(), 6u);
}

TEST_F(IconList, SourceWritingNothing) {
    // Later silences repeat the previous text, which the list already holds.
    g_texts = {"A", NULL, "B", NULL};
    Fill(4);
    EXPECT_EQ(Entries(), (V{"A", "B"}));
    // A silent first call leaves the empty text the buffer starts with.
    g_texts = {NULL, "A"};
    Fill(2);
    EXPECT_EQ(Entries(), (V{"", "A"}));
}

TEST_F(IconList, LongestTextIsListedWhole) {
    std::string longest(1023, 'p');
    g_texts = {longest.c_str()};
    Fill(1);
    EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 0, 0), 1023);
}

TEST_F(IconList, PortsFillWithOneEnumerationPerEntryAndOneForTheCount) {
    // The spooler's own answer, for comparison.
    DWORD needed = 0, count = 0;
    EnumPortsA(NULL, 1, NULL, 0, &needed, &count);
    std::vector<BYTE> block(needed);
    ASSERT_TRUE(EnumPortsA(NULL, 1, block.data(), needed, &needed, &count));
    ASSERT_GT(count, 0u);
    V expected;
    for (DWORD i = 0; i < count; i++)
        expected.push_back(((PORT_INFO_1A *)block.data())[i].pName);

    unsigned before = g_seamPortEnumerations;
    FillIconList(host, LIST_ID, (short)CountPorts(), GetPortName);
    EXPECT_EQ(g_seamPortEnumerations - before, count + 1);
    EXPECT_EQ(Entries(), expected);

    // Past the end the source writes nothing.
    char name[1024] = "kept";
    GetPortName(count, name);
    EXPECT_STREQ(name, "kept");
}

TEST(IconListHeight, RaisedToFitTheIcon) {
    MEASUREITEMSTRUCT item = {};
    item.itemWidth = 77;
    item.itemHeight = 16;
    MeasureIconListItem(&item);
    EXPECT_EQ(item.itemHeight, 34u);
    EXPECT_EQ(item.itemWidth, 77u);
    item.itemHeight = 40;
    MeasureIconListItem(&item);
    EXPECT_EQ(item.itemHeight, 40u);
    item.itemHeight = 0;
    MeasureIconListItem(&item);
    EXPECT_EQ(item.itemHeight, 34u);
}

TEST(PortIcons, ByTheSystemsLetterCaseRules) {
    struct {
        const char *port;
        const char *icon;
    } cases[] = {
        {"FILE:", "IDI_SETUP"},    {"file:", "IDI_SETUP"},   {"File:", "IDI_SETUP"},
        {"LPT1:", "IDI_PORT"},     {"COM2:", "IDI_PORT"},    {"COM10:", "IDI_PORT"},
        {"lpt1:", "IDI_NETWORK"},  {"com2:", "IDI_NETWORK"}, {"USB001", "IDI_NETWORK"},
        {"CO", "IDI_NETWORK"},     {"IR:", "IDI_NETWORK"},   {"\\\\server\\p", "IDI_NETWORK"},
        {"FILE:1", "IDI_NETWORK"}, {"", "IDI_NETWORK"},
    };
    for (const auto &c : cases) {
        char out[1024] = "";
        ChoosePortIcon(c.port, out);
        EXPECT_STREQ(out, c.icon) << c.port;
        // The list hands the same buffer in and out.
        char buffer[1024];
        strcpy(buffer, c.port);
        ChoosePortIcon(buffer, buffer);
        EXPECT_STREQ(buffer, c.icon) << c.port;
    }
    char out[1024];
    ChooseModelIcon("anything", out);
    EXPECT_STREQ(out, "IDI_PRINTER");
}

namespace {

// A 32-bit memory bitmap to draw into, so that pixels read back exactly.
struct Canvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ kept;
    DWORD *bits;
    int width, height;

    Canvas(int w, int h, COLORREF fill) : width(w), height(h) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(NULL);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, (void **)&bits, NULL, 0);
        kept = SelectObject(dc, bitmap);
        Fill(fill);
    }
    ~Canvas() {
        SelectObject(dc, kept);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void Fill(COLORREF colour) {
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    COLORREF At(int x, int y) {
        GdiFlush();
        return GetPixel(dc, x, y);
    }
    bool SameAs(Canvas &other, int left, int top, int right, int bottom) {
        for (int y = top; y < bottom; y++)
            for (int x = left; x < right; x++)
                if (At(x, y) != other.At(x, y))
                    return false;
        return true;
    }
};

const COLORREF kSentinel = RGB(1, 2, 3);

std::vector<std::string> g_chosenFor;

void RecordingChooser(const char *text, char *out) {
    g_chosenFor.push_back(text);
    EXPECT_EQ((const char *)out, text);
    strcpy(out, "IDI_PORT");
}

} // namespace

class DrawEntry : public IconList {
  protected:
    DRAWITEMSTRUCT item = {};
    short hb = 0;

    void SetUp() override {
        IconList::SetUp();
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "COM1:");
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "FILE:");
        item.CtlType = ODT_LISTBOX;
        item.CtlID = LIST_ID;
        item.itemID = 0;
        item.hwndItem = list;
        item.rcItem = {0, 40, 300, 74};
        hb = (short)LOWORD(GetDialogBaseUnits());
        g_chosenFor.clear();
    }

    // Where the icon should be: DrawIcon of the named icon at (hb, top + 1).
    void Reference(Canvas &canvas, COLORREF back, const char *icon) {
        canvas.Fill(kSentinel);
        HBRUSH brush = CreateSolidBrush(back);
        FillRect(canvas.dc, &item.rcItem, brush);
        DeleteObject(brush);
        DrawIcon(canvas.dc, hb, item.rcItem.top + 1, LoadIconA(g_instance, icon));
    }
};

TEST_F(DrawEntry, SelectedFocusedEntry) {
    Canvas canvas(320, 100, kSentinel);
    item.hDC = canvas.dc;
    item.itemState = ODS_SELECTED | ODS_FOCUS;
    SetTextColor(canvas.dc, RGB(9, 9, 9));
    SetBkColor(canvas.dc, RGB(8, 8, 8));
    DrawIconListItem(&item, ChoosePortIcon);
    EXPECT_EQ(GetTextColor(canvas.dc), RGB(9, 9, 9));
    EXPECT_EQ(GetBkColor(canvas.dc), RGB(8, 8, 8));

    COLORREF back = GetSysColor(COLOR_HIGHLIGHT);
    COLORREF fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
    // Nothing outside the entry.
    for (int x = 0; x < 320; x += 7) {
        EXPECT_EQ(canvas.At(x, 39), kSentinel);
        EXPECT_EQ(canvas.At(x, 74), kSentinel);
    }
    EXPECT_EQ(canvas.At(305, 50), kSentinel);

    // The port icon over the highlight, at (hb, top + 1).
    Canvas reference(320, 100, kSentinel);
    Reference(reference, back, "IDI_PORT");
    EXPECT_TRUE(canvas.SameAs(reference, hb, 41, hb + 32, 73));
    Reference(reference, back, "IDI_NETWORK");
    EXPECT_FALSE(canvas.SameAs(reference, hb, 41, hb + 32, 73));

    // The text in the highlight-text colour, starting at 2 hb + 32 and centred on the
    // font's height; the highlight everywhere else inside the focus rectangle.
    TEXTMETRICA metrics;
    GetTextMetricsA(canvas.dc, &metrics);
    int textTop = (40 + 74 - metrics.tmHeight) / 2;
    int textX = 2 * hb + 32;
    int firstTextX = 1000, textPixels = 0;
    for (int y = 41; y < 73; y++) {
        for (int x = 1; x < 299; x++) {
            COLORREF pixel = canvas.At(x, y);
            if (pixel == back || (x >= hb && x < hb + 32))
                continue;
            // Anything but the background is text (smoothed edges included).
            EXPECT_GE(y, textTop);
            ASSERT_LT(y, textTop + metrics.tmHeight);
            firstTextX = x < firstTextX ? x : firstTextX;
            textPixels += pixel == fore;
        }
    }
    EXPECT_GT(textPixels, 10);
    EXPECT_GE(firstTextX, textX);
    EXPECT_LT(firstTextX, textX + 4);

    // The focus rectangle on the entry's border.
    int changed = 0;
    for (int x = 0; x < 300; x++)
        changed += canvas.At(x, 40) != back;
    EXPECT_GT(changed, 50);
}

TEST_F(DrawEntry, WithoutFocusNoFocusRectangle) {
    Canvas canvas(320, 100, kSentinel);
    item.hDC = canvas.dc;
    item.itemID = 1;
    item.itemState = 0;
    DrawIconListItem(&item, ChoosePortIcon);
    COLORREF back = GetSysColor(COLOR_WINDOW);
    for (int x = 0; x < 300; x++) {
        if (x >= hb && x < hb + 32)
            continue;
        EXPECT_EQ(canvas.At(x, 40), back) << x;
        EXPECT_EQ(canvas.At(x, 73), back) << x;
    }
    // "FILE:" shows the setup icon.
    Canvas reference(320, 100, kSentinel);
    Reference(reference, back, "IDI_SETUP");
    EXPECT_TRUE(canvas.SameAs(reference, hb, 41, hb + 32, 73));
    // Window-text coloured text.
    COLORREF fore = GetSysColor(COLOR_WINDOWTEXT);
    int textPixels = 0;
    for (int y = 41; y < 73; y++)
        for (int x = 2 * hb + 32; x < 299; x++)
            textPixels += canvas.At(x, y) == fore;
    EXPECT_GT(textPixels, 10);

    // Selected without the focus: highlighted, still no focus rectangle.
    item.itemState = ODS_SELECTED;
    DrawIconListItem(&item, ChoosePortIcon);
    for (int x = 2 * hb + 32; x < 300; x++) {
        EXPECT_EQ(canvas.At(x, 40), GetSysColor(COLOR_HIGHLIGHT)) << x;
        EXPECT_EQ(canvas.At(x, 73), GetSysColor(COLOR_HIGHLIGHT)) << x;
    }
}

TEST_F(DrawEntry, EmptyListDrawsNothing) {
    Canvas canvas(320, 100, kSentinel);
    item.hDC = canvas.dc;
    item.itemID = (UINT)-1;
    item.itemState = ODS_SELECTED | ODS_FOCUS;
    DrawIconListItem(&item, RecordingChooser);
    EXPECT_TRUE(g_chosenFor.empty());
    for (int y = 0; y < 100; y += 3)
        for (int x = 0; x < 320; x += 3)
            ASSERT_EQ(canvas.At(x, y), kSentinel);
}

TEST_F(DrawEntry, ChooserGetsTheEntryTextInOneBuffer) {
    Canvas canvas(320, 100, kSentinel);
    item.hDC = canvas.dc;
    item.itemID = 1;
    DrawIconListItem(&item, RecordingChooser);
    EXPECT_EQ(g_chosenFor, V{"FILE:"});

    // A combo box's entries come through its own message.
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0,
                                 0, 100, 100, host, (HMENU)77, g_instance, NULL);
    SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM) "LPT2:");
    item.CtlType = ODT_COMBOBOX;
    item.hwndItem = combo;
    item.itemID = 0;
    DrawIconListItem(&item, RecordingChooser);
    EXPECT_EQ(g_chosenFor, (V{"FILE:", "LPT2:"}));
}

// The picture panel's drawing request, over a 29 x 49 control.
DRAWITEMSTRUCT PanelItem(HDC dc) {
    g_instance = GetModuleHandleA(NULL);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = IDC_PICTURE;
    item.hDC = dc;
    item.rcItem = {0, 0, 29, 49};
    return item;
}

TEST(PicturePanel, BitmapInASunkenFrame) {
    Canvas canvas(40, 60, kSentinel);
    DRAWITEMSTRUCT item = PanelItem(canvas.dc);
    DrawPicturePanel(&item);

    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
    COLORREF black = RGB(0, 0, 0);
    // Outer shadow along the top and left, black inside it.
    for (int y = 0; y <= 47; y++)
        EXPECT_EQ(canvas.At(0, y), shadow) << y;
    for (int x = 1; x <= 27; x++)
        EXPECT_EQ(canvas.At(x, 0), shadow) << x;
    for (int y = 2; y <= 46; y++)
        EXPECT_EQ(canvas.At(1, y), black) << y;
    for (int x = 1; x <= 26; x++)
        EXPECT_EQ(canvas.At(x, 1), black) << x;
    // Highlight two pixels out along the right and bottom.
    for (int y = 0; y <= 48; y++)
        EXPECT_EQ(canvas.At(28, y), light) << y;
    for (int x = 0; x <= 28; x++)
        EXPECT_EQ(canvas.At(x, 48), light) << x;
    // The lines' end points stay unpainted; nothing beyond the control.
    EXPECT_EQ(canvas.At(27, 1), kSentinel);
    EXPECT_EQ(canvas.At(1, 47), kSentinel);
    EXPECT_EQ(canvas.At(29, 10), kSentinel);
    EXPECT_EQ(canvas.At(10, 49), kSentinel);

    // The picture, stretched into (2, 2)-(27, 47).
    Canvas reference(40, 60, kSentinel);
    HBITMAP bitmap = LoadBitmapA(g_instance, MAKEINTRESOURCEA(IDB_PICTURE));
    ASSERT_TRUE(bitmap);
    BITMAP info;
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 154);
    EXPECT_EQ(info.bmHeight, 248);
    HDC memory = CreateCompatibleDC(reference.dc);
    HGDIOBJ kept = SelectObject(memory, bitmap);
    StretchBlt(reference.dc, 2, 2, 25, 45, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(memory, kept);
    DeleteDC(memory);
    DeleteObject(bitmap);
    EXPECT_TRUE(canvas.SameAs(reference, 2, 2, 27, 47));

    // No entry: nothing at all.
    Canvas untouched(40, 60, kSentinel);
    item.hDC = untouched.dc;
    item.itemID = (UINT)-1;
    DrawPicturePanel(&item);
    for (int y = 0; y < 60; y++)
        for (int x = 0; x < 40; x++)
            ASSERT_EQ(untouched.At(x, y), kSentinel);
}

// Points this program's import of `function` from `dll` at `replacement` and returns what
// it pointed at: a platform call made to fail for one test, the product left as it ships.
void *PatchImport(const char *dll, const char *function, void *replacement) {
    BYTE *base = (BYTE *)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS *headers = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR *module =
             (IMAGE_IMPORT_DESCRIPTOR *)(base + imports.VirtualAddress);
         module->Name; module++) {
        if (lstrcmpiA((const char *)(base + module->Name), dll) != 0)
            continue;
        IMAGE_THUNK_DATA *name = (IMAGE_THUNK_DATA *)(base + module->OriginalFirstThunk);
        IMAGE_THUNK_DATA *slot = (IMAGE_THUNK_DATA *)(base + module->FirstThunk);
        for (; name->u1.AddressOfData; name++, slot++) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) ||
                strcmp(
                    (const char *)((IMAGE_IMPORT_BY_NAME *)(base + name->u1.AddressOfData))->Name,
                    function) != 0)
                continue;
            DWORD protection;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE,
                           &protection);
            void *previous = (void *)slot->u1.Function;
            slot->u1.Function = (ULONG_PTR)replacement;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
            return previous;
        }
    }
    return NULL;
}

int WINAPI FailingGetObject(HANDLE, int, LPVOID) {
    return 0;
}

// A bitmap whose size cannot be read is drawn as a missing one: not at all.
TEST(PicturePanel, NothingWithoutTheBitmapsSize) {
    Canvas canvas(40, 60, kSentinel);
    DRAWITEMSTRUCT item = PanelItem(canvas.dc);
    void *real = PatchImport("gdi32.dll", "GetObjectA", (void *)FailingGetObject);
    ASSERT_TRUE(real) << "GetObjectA is not imported from gdi32.dll";
    DrawPicturePanel(&item);
    PatchImport("gdi32.dll", "GetObjectA", real);
    for (int y = 0; y < 60; y++)
        for (int x = 0; x < 40; x++)
            ASSERT_EQ(canvas.At(x, y), kSentinel) << x << "," << y;
}

// A list that states entry lengths three times too long, as the platform may for
// double-byte text.
WNDPROC g_listProc;
LRESULT CALLBACK OverstatingList(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallWindowProcA(g_listProc, list, message, wParam, lParam);
    return message == LB_GETTEXTLEN && result > 0 ? 3 * result : result;
}

// Entries that fit are read and drawn whole whatever length the list states; one that
// does not fit is still refused.
TEST_F(DrawEntry, EntriesAreJudgedByTheirRealLength) {
    g_listProc = (WNDPROC)SetWindowLongPtrA(list, GWLP_WNDPROC, (LONG_PTR)OverstatingList);
    const std::string fits(600, 'k'), tooLong(1100, 'x');
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)fits.c_str());
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)tooLong.c_str());
    ASSERT_EQ(SendMessageA(list, LB_GETTEXTLEN, 0, 0), 1800);

    char text[1024] = "before";
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    ASSERT_TRUE(GetSelectedListText(host, LIST_ID, text, sizeof text));
    EXPECT_EQ(text, fits);
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    strcpy(text, "before");
    EXPECT_FALSE(GetSelectedListText(host, LIST_ID, text, sizeof text));
    EXPECT_STREQ(text, "before");

    Canvas canvas(320, 100, kSentinel);
    item.hDC = canvas.dc;
    for (UINT entry : {0u, 1u}) {
        item.itemID = entry;
        DrawIconListItem(&item, RecordingChooser);
    }
    EXPECT_EQ(g_chosenFor, (V{fits, ""}));
    SetWindowLongPtrA(list, GWLP_WNDPROC, (LONG_PTR)g_listProc);
}

TEST(PicturePanel, FrameAloneAroundAnyRectangle) {
    Canvas canvas(20, 20, kSentinel);
    RECT inner = {5, 5, 15, 15};
    DrawSunkenFrame(&inner, canvas.dc);
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    // The inside is filled with the shadow colour.
    for (int y = 5; y < 15; y++)
        for (int x = 5; x < 15; x++)
            ASSERT_EQ(canvas.At(x, y), shadow);
    EXPECT_EQ(canvas.At(4, 10), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(3, 10), shadow);
    EXPECT_EQ(canvas.At(16, 10), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.At(15, 10), kSentinel);
    EXPECT_EQ(canvas.At(2, 10), kSentinel);
}
