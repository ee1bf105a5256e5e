// The check of a setup folder a release engineer runs before shipping it: the program's
// own reader goes through every model the model page would list, as its Next reads it,
// and every file of each model's copy list must be in the setup folder, plain or
// compressed whole. Nothing is changed and the spooler is never asked.
#include "setupinfo/setupinfo.h"

#include "install/copyerrors.h"
#include "install/install.h"
#include "setupinfo/infparse.h"
#include "shell/log.h"
#include "shell/session.h"

#include <stdio.h>
#include <string.h>

// The most models a listing can count: each key takes at least its two quotes and a NUL
// of the 1024-character listing.
enum { MAX_LISTED_MODELS = TEXT_BUFFER_SIZE / 3 + 1 };

// Reads a whole file into a block to free with LocalFree; NULL when it cannot be opened or
// read (its size in *length).
static unsigned char *ReadWholeFile(HANDLE file, size_t *length) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 0x7FFFFFFF)
        return NULL;
    unsigned char *data = (unsigned char *)LocalAlloc(LMEM_FIXED, (SIZE_T)size.QuadPart + 1);
    if (!data)
        return NULL;
    DWORD read = 0;
    if (!ReadFile(file, data, (DWORD)size.QuadPart, &read, NULL) || read != size.QuadPart) {
        LocalFree(data);
        return NULL;
    }
    *length = read;
    return data;
}

// Opens a file of the setup folder as the copy engine finds it; INVALID_HANDLE_VALUE when
// the path does not fit or neither name opens.
static HANDLE OpenListedFile(const char *name) {
    char path[TEXT_BUFFER_SIZE], opened[TEXT_BUFFER_SIZE];
    if (!SetupFilePath(name, path, sizeof path)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    return OpenSetupFile(path, opened);
}

// One file of a model's list: what is wrong with it, or NULL when the engine will copy it.
static const char *CheckFile(const char *name) {
    if (!IsSafeCopyName(name))
        return "a name that would leave the driver directory";
    HANDLE file = OpenListedFile(name);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND
                   ? "missing from the setup folder"
                   : "cannot be opened in the setup folder";
    size_t length = 0;
    unsigned char *data = ReadWholeFile(file, &length);
    CloseHandle(file);
    if (!data)
        return "cannot be read";
    int state = CheckSzddData(data, length);
    LocalFree(data);
    return state == SZDD_DAMAGED ? "compressed, but damaged: it does not expand to the size its "
                                   "header announces"
                                 : NULL;
}

// A model as its Next reads it, then each of its files; the number of problems.
static int CheckModel(const char *name, int *files) {
    ModelInstallData data;
    char problem[TEXT_BUFFER_SIZE];
    if (!ReadModelInstallData(name, &data, problem)) {
        LogLine("check", "model \"%s\": %s", name, problem);
        return 1;
    }
    int problems = 0;
    for (const char *file = data.copyList; *file; file += strlen(file) + 1) {
        const char *wrong = CheckFile(file);
        ++*files;
        if (wrong) {
            LogLine("check", "model \"%s\", file %s: %s", name, file, wrong);
            problems++;
        }
    }
    return problems;
}

// CheckSetupFolder: the models in list order, each name once (letter case ignored, as
// the list tells its entries apart).
int CheckSetupFolder() {
    if (!GetSetupFolder()[0]) {
        LogLine("check", "the program's own folder cannot be named");
        return 1;
    }
    int count = CountModels();
    if (count == 0) {
        LogLine("check", "%s lists no model in [%s]", GetInfPath(), GetVendorSection());
        return 1;
    }
    static char names[MAX_LISTED_MODELS][TEXT_BUFFER_SIZE];
    int listed = 0, problems = 0, files = 0;
    char name[TEXT_BUFFER_SIZE] = "";
    for (int i = 0; i < count && listed < MAX_LISTED_MODELS; i++) {
        // A name the listing cannot give leaves the one before, as on the page.
        GetModelName((unsigned)i, name);
        int seen = 0;
        for (int j = 0; j < listed && !seen; j++)
            seen = lstrcmpiA(names[j], name) == 0;
        if (seen)
            continue;
        strcpy(names[listed++], name);
        problems += CheckModel(name, &files);
    }
    LogLine("check", "%s: %d models, %d files, %d problems", GetInfPath(), listed, files, problems);
    return problems;
}
