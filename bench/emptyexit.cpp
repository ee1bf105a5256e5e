// An empty program that ends at once: the platform's own share of starting and ending a
// program, for the unattended installation's row. It imports what the wizard imports (the
// DLLs a process loads and initialises before its first line count as start) and calls
// none of it.
#include <windows.h>

#include <lzexpand.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Taken, never called: the references alone keep each DLL among the imports.
    const void *volatile imports[] = {(const void *)&GetDC, (const void *)&GetStockObject,
                                      (const void *)&LZStart, (const void *)&ClosePrinter};
    (void)imports;
    return 0;
}
