// Reader of the setup information file J71.INF beside the program: the model list, a
// chosen model's install data and its hardware ID. Every read goes through the profile
// functions, which open the file afresh each time.
#include "setupinfo/setupinfo.h"

#include "res/resource.h"
#include "setupinfo/infparse.h"
#include "shell/log.h"
#include "shell/session.h"
#include "ui/iconlist.h"

#include <stdio.h>
#include <string.h>

// Key lists: the profile reader may fill a short buffer to its last byte but one and
// leave that byte as it was, without the empty name that ends the list. Each list
// buffer is zero-filled and one byte longer than the size the reader is told, so the
// list always ends inside it.
enum { KEY_LIST_SIZE = 1024, NAME_LIST_SIZE = 2048 };

// Field 2 of the last model entry asked for by GetHardwareId lives here.
static char g_hardwareId[TEXT_BUFFER_SIZE];

// GetModuleDirectory: the program's directory with its final backslash. When the
// module name is empty, or too long to be held whole, the current directory ".\"
// stands in: a cut name would point at some other folder.
void GetModuleDirectory(char *directory) {
    DWORD length = GetModuleFileNameA(NULL, directory, TEXT_BUFFER_SIZE);
    if (length == 0 || length >= TEXT_BUFFER_SIZE) {
        strcpy(directory, ".\\");
        return;
    }
    directory[length] = '\0';
    char *slash = strrchr(directory, '\\');
    if (slash)
        slash[1] = '\0';
    else
        strcpy(directory, ".\\");
}

// GetSetupFolder: the program's own folder with its final backslash, worked out once;
// every driver file and the file that dates the driver are taken from it and from nowhere
// else. Empty when the program's path cannot be had whole: the current directory that
// GetModuleDirectory puts in its place is no setup folder.
const char *GetSetupFolder() {
    if (!g_session.setupFolder[0]) {
        char directory[TEXT_BUFFER_SIZE];
        GetModuleDirectory(directory);
        if (strcmp(directory, ".\\") != 0)
            strcpy(g_session.setupFolder, directory);
    }
    return g_session.setupFolder;
}

// GetInfPath: the setup information file beside the program, worked out once.
const char *GetInfPath() {
    if (g_session.infPath[0])
        return g_session.infPath;
    const char *fileName = OsTable[g_session.osIndex].infFileName;
    GetModuleDirectory(g_session.infPath);
    if (strlen(g_session.infPath) + strlen(fileName) >= sizeof g_session.infPath)
        strcpy(g_session.infPath, ".\\");
    strcat(g_session.infPath, fileName);
    return g_session.infPath;
}

// GetVendorSection: the section that lists the models, from the system's row.
const char *GetVendorSection() {
    return OsTable[g_session.osIndex].vendorSection;
}

// CountModels: the number of keys of the vendor section, as many as a 1024-character
// listing holds (a key cut short at its end counts too).
WORD CountModels() {
    char list[KEY_LIST_SIZE + 1];
    memset(list, 0, sizeof list);
    GetPrivateProfileStringA(GetVendorSection(), NULL, "", list, KEY_LIST_SIZE, GetInfPath());
    return (WORD)CountKeyList(list);
}

// The larger listing of the vendor section's keys, so that a key cut short in the counting
// listing is still named whole; `list` holds NAME_LIST_SIZE + 1 bytes.
static void ReadModelNames(char *list) {
    memset(list, 0, NAME_LIST_SIZE + 1);
    GetPrivateProfileStringA(GetVendorSection(), NULL, "", list, NAME_LIST_SIZE, GetInfPath());
}

// GetModelName: the model list's item source: the name of key `index` of the larger
// listing (up to the 1023 characters of `out`); writes nothing for an index past the end.
void GetModelName(unsigned index, char *out) {
    char list[NAME_LIST_SIZE + 1];
    ReadModelNames(list);
    KeyListModelName(list, index, out, TEXT_BUFFER_SIZE);
}

// FindListedModel: the first model of the list that equals `wanted` without regard to
// letter case, as the model list tells its entries apart; its name as the file spells it
// goes to `out` (1024 bytes). 0 when the list has no such model.
int FindListedModel(const char *wanted, char *out) {
    WORD count = CountModels();
    char list[NAME_LIST_SIZE + 1];
    ReadModelNames(list);
    for (WORD i = 0; i < count; i++) {
        char name[TEXT_BUFFER_SIZE] = "";
        KeyListModelName(list, i, name, sizeof name);
        if (lstrcmpiA(name, wanted) == 0) {
            strcpy(out, name);
            return 1;
        }
    }
    return 0;
}

// Reads one value of the setup information file into a 1024-byte buffer.
static void ReadInfValue(const char *section, const char *key, const char *fallback, char *value) {
    GetPrivateProfileStringA(section, key, fallback, value, TEXT_BUFFER_SIZE, GetInfPath());
}

// Asks the local spooler for its printer-driver directory and adds the backslash that
// file names are appended to. When the spooler gives no directory (or one too long for
// the backslash) the field stays empty, so the copy step fails with its own message
// instead of writing driver files to the root of a drive.
static void ReadDriverDirectory() {
    char *directory = g_session.driverDirectory;
    DWORD needed = 0;
    memset(directory, 0, TEXT_BUFFER_SIZE);
    if (!GetPrinterDriverDirectoryA(NULL, NULL, 1, (LPBYTE)directory, TEXT_BUFFER_SIZE, &needed)) {
        directory[0] = '\0';
        return;
    }
    directory[TEXT_BUFFER_SIZE - 1] = '\0';
    size_t length = strlen(directory);
    if (length == 0 || length + 2 > TEXT_BUFFER_SIZE) {
        directory[0] = '\0';
        return;
    }
    directory[length] = '\\';
    directory[length + 1] = '\0';
}

// LoadModelInstallData: takes the model selected on the model page and reads its data as
// below; 0 when nothing is selected.
int LoadModelInstallData(HWND page) {
    char name[TEXT_BUFFER_SIZE] = "";
    if (!GetSelectedListText(page, IDC_MODEL_LIST, name, MAX_MODEL_NAME + 1))
        return 0;
    return LoadInstallDataFor(name);
}

// ReadModelInstallData: a model's install section, its copy list parsed as the engine
// will walk it, and its data section, read as the model page's Next reads them; nothing
// goes into the session. Refused, with `problem` (a buffer of TEXT_BUFFER_SIZE) saying
// why: a name too long to be looked up (over 1021 characters), a model whose entry names
// no install section, one that gives neither "CopyFiles" nor "DataSection" (nothing could
// be installed for it), and a "CopyFiles" value longer than the reader's buffer or whose
// names do not fit the copy list (its last names would be dropped unnoticed).
int ReadModelInstallData(const char *name, ModelInstallData *data, char *problem) {
    char key[TEXT_BUFFER_SIZE];
    char entry[TEXT_BUFFER_SIZE];
    char copyFiles[2 * TEXT_BUFFER_SIZE] = "";
    memset(data, 0, sizeof *data);
    problem[0] = '\0';
    if (strlen(name) > MAX_MODEL_NAME) {
        snprintf(problem, TEXT_BUFFER_SIZE, "model name of %u characters: too long to look up",
                 (unsigned)strlen(name));
        return 0;
    }
    MakeModelKey(name, key, sizeof key);
    ReadInfValue(GetVendorSection(), key, "", entry);

    size_t sectionLength;
    const char *field = ModelEntryField(entry, 1, &sectionLength);
    if (!field) {
        snprintf(problem, TEXT_BUFFER_SIZE, "\"%.900s\" in %s: no install section", name,
                 GetInfPath());
        return 0;
    }
    memcpy(data->section, field, sectionLength);
    data->section[sectionLength] = '\0';
    GetPrivateProfileStringA(data->section, "CopyFiles", "", copyFiles, sizeof copyFiles,
                             GetInfPath());
    if (strlen(copyFiles) >= TEXT_BUFFER_SIZE) {
        snprintf(problem, TEXT_BUFFER_SIZE,
                 "[%.900s] CopyFiles: %u characters, more than can be read whole", data->section,
                 (unsigned)strlen(copyFiles));
        return 0;
    }
    ReadInfValue(data->section, "DataSection", "", data->dataSection);
    if (!copyFiles[0] && !data->dataSection[0]) {
        snprintf(problem, TEXT_BUFFER_SIZE,
                 "[%.900s]: neither CopyFiles nor DataSection, nothing to install", data->section);
        return 0;
    }
    data->fileCount = ParseCopyFiles(copyFiles, data->copyList, sizeof data->copyList);
    if (data->fileCount < 0) {
        snprintf(problem, TEXT_BUFFER_SIZE,
                 "[%.900s] CopyFiles: the names do not fit the copy list", data->section);
        return 0;
    }
    return 1;
}

// LoadInstallDataFor: reads the model's data as above into the session, with the driver
// directory and the data type, and the name into modelName; 0, with the session
// unchanged and the reason logged, when the model is refused.
int LoadInstallDataFor(const char *name) {
    ModelInstallData data;
    char problem[TEXT_BUFFER_SIZE];
    if (!ReadModelInstallData(name, &data, problem)) {
        LogLine("read", "%s", problem);
        return 0;
    }
    strcpy(g_session.modelName, name);
    memcpy(g_session.copyList, data.copyList, sizeof g_session.copyList);
    g_session.fileCount = data.fileCount;

    ReadDriverDirectory();

    if (data.dataSection[0])
        ReadInfValue(data.dataSection, "DefaultDataType", "RAW", g_session.defaultDataType);
    else
        strcpy(g_session.defaultDataType, "RAW");
    LogLine("read", "\"%s\": install section [%s], %d files, data type \"%s\", driver directory %s",
            name, data.section, g_session.fileCount, g_session.defaultDataType,
            g_session.driverDirectory[0] ? g_session.driverDirectory : "(none)");
    return 1;
}

// GetHardwareId: field 2 of the model's entry, or NULL when the entry has none. The text
// stays valid until the next call.
const char *GetHardwareId(const char *modelName) {
    char key[TEXT_BUFFER_SIZE];
    g_hardwareId[0] = '\0';
    if (!MakeModelKey(modelName, key, sizeof key))
        return NULL;
    ReadInfValue(GetVendorSection(), key, "", g_hardwareId);
    if (!ModelEntryField(g_hardwareId, 1, NULL))
        return NULL;
    size_t length;
    const char *field = ModelEntryField(g_hardwareId, 2, &length);
    if (!field)
        return NULL;
    char *id = g_hardwareId + (field - g_hardwareId);
    id[length] = '\0';
    return id;
}
