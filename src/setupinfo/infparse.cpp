// Text rules of the setup information file: model entries, "CopyFiles" values, key
// lists and port names. Nothing here touches the platform.
#include "setupinfo/infparse.h"

#include <string.h>

// ModelEntryField: finds field `number` of a model entry. Commas separate fields, and a
// run of nothing between two commas (or before the first) is not a field, so ",a,,b"
// has the fields "a" and "b". Blanks belong to the field they stand in.
const char *ModelEntryField(const char *entry, int number, size_t *length) {
    if (!entry || number < 1)
        return NULL;
    const char *p = entry;
    int field = 0;
    while (*p) {
        if (*p == ',') {
            p++;
            continue;
        }
        size_t run = strcspn(p, ",");
        if (++field == number) {
            if (length)
                *length = run;
            return p;
        }
        p += run;
    }
    return NULL;
}

// ParseCopyFiles: writes the names of a "CopyFiles" value one after another into
// `list`. Every name written names a file: a field that is empty, or that holds
// nothing but its at sign, is passed over, so the copy step never meets an empty name
// before the end of the list.
int ParseCopyFiles(const char *value, char *list, size_t listSize) {
    if (!list || listSize == 0)
        return -1;
    list[0] = '\0';
    if (!value)
        return 0;

    size_t used = 0;
    int count = 0;
    const char *p = value;
    while (*p) {
        size_t run = strcspn(p, ",");
        const char *name = p;
        size_t nameLength = run;
        if (nameLength > 0 && name[0] == '@') {
            name++;
            nameLength--;
        }
        p += run;
        if (*p == ',')
            p++;
        if (nameLength == 0)
            continue;
        // The name, its NUL and the empty name that ends the list must all fit.
        if (used + nameLength + 2 > listSize) {
            list[0] = '\0';
            return -1;
        }
        memcpy(list + used, name, nameLength);
        used += nameLength;
        list[used++] = '\0';
        count++;
    }
    list[used] = '\0';
    return count;
}

// CountKeyList: counts the names of a key list up to its first empty name.
unsigned CountKeyList(const char *list) {
    unsigned count = 0;
    if (!list)
        return 0;
    for (const char *key = list; *key; key += strlen(key) + 1)
        count++;
    return count;
}

// KeyListModelName: the model name of key `index`. Keys are written with their double
// quotes, so the name is the key less its first and last character; a key of one or
// two characters gives an empty name.
int KeyListModelName(const char *list, unsigned index, char *out, size_t outSize) {
    if (!list)
        return 0;
    const char *key = list;
    for (unsigned i = 0; i < index && *key; i++)
        key += strlen(key) + 1;
    if (!*key)
        return 0;
    size_t keyLength = strlen(key);
    size_t nameLength = keyLength > 2 ? keyLength - 2 : 0;
    if (!out || outSize == 0)
        return 1;
    if (nameLength > outSize - 1)
        nameLength = outSize - 1;
    if (nameLength > 0)
        memcpy(out, key + 1, nameLength);
    out[nameLength] = '\0';
    return 1;
}

// Letter case of plain ASCII only: port names are ASCII.
static char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c;
}

// Whether `text` begins with `prefix`, letter case of ASCII ignored.
static int StartsIgnoringAsciiCase(const char *text, const char *prefix) {
    for (; *prefix; text++, prefix++)
        if (AsciiUpper(*text) != AsciiUpper(*prefix))
            return 0;
    return 1;
}

static int SameIgnoringAsciiCase(const char *a, const char *b) {
    return StartsIgnoringAsciiCase(a, b) && a[strlen(b)] == '\0';
}

// PresetPortIndex: an infrared port wins over COM1:, whatever their order.
int PresetPortIndex(int count, PortNameAt nameAt, void *context) {
    static const char *const wanted[] = {"IR", "COM1:"};
    if (!nameAt)
        return -1;
    for (const char *prefix : wanted) {
        for (int i = 0; i < count; i++) {
            const char *name = nameAt(context, i);
            if (name && StartsIgnoringAsciiCase(name, prefix))
                return i;
        }
    }
    return -1;
}

// IsLocalPortName: exactly "LPT" or "COM" at the start; the comparison stops at the
// first difference, so a shorter name is simply not local.
int IsLocalPortName(const char *port) {
    if (!port)
        return 0;
    return strncmp(port, "LPT", 3) == 0 || strncmp(port, "COM", 3) == 0;
}

// PortIconName: the setup icon for the file port, the port icon for local parallel and
// serial ports, the network icon for everything else.
const char *PortIconName(const char *port) {
    if (port && SameIgnoringAsciiCase(port, "FILE:"))
        return "IDI_SETUP";
    if (IsLocalPortName(port))
        return "IDI_PORT";
    return "IDI_NETWORK";
}

// MakeModelKey: the model's key as the vendor section spells it, between double quotes.
int MakeModelKey(const char *name, char *key, size_t keySize) {
    if (!key || keySize == 0)
        return 0;
    key[0] = '\0';
    if (!name)
        return 0;
    size_t length = strlen(name);
    if (length + 3 > keySize)
        return 0;
    key[0] = '"';
    memcpy(key + 1, name, length);
    key[length + 1] = '"';
    key[length + 2] = '\0';
    return 1;
}

// CopyBounded: copies as much of `text` as fits, always leaving a NUL at the end.
void CopyBounded(char *out, size_t outSize, const char *text) {
    if (!out || outSize == 0)
        return;
    size_t length = text ? strlen(text) : 0;
    if (length > outSize - 1)
        length = outSize - 1;
    if (length > 0)
        memcpy(out, text, length);
    out[length] = '\0';
}
