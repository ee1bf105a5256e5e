// Pure text rules of the setup information file, free of the platform so that
// they also build and run natively (unit tests, fuzzing).
#pragma once

#include <stddef.h>

// Field `number` (1 = first) of a model entry: the runs between commas, empty runs not
// counted, blanks kept. Returns a pointer to the field's first character and its
// length in *length, or NULL when the entry has fewer fields.
const char *ModelEntryField(const char *entry, int number, size_t *length);

// Splits a "CopyFiles" value into `list` (each name ended by a NUL, the list ended by an
// empty name). One leading at sign per name is dropped; empty fields and lone at signs
// give no name. Returns the number of names, or -1 when the names do not fit in
// `listSize` bytes (the list is then left empty).
int ParseCopyFiles(const char *value, char *list, size_t listSize);

// Counts the keys of a double-NUL-ended key list.
unsigned CountKeyList(const char *list);

// Copies into `out` (outSize bytes) the display name of key `index` of a key list: the key
// without its first and last character. Returns 0 when the list has no such key.
int KeyListModelName(const char *list, unsigned index, char *out, size_t outSize);

// Name of the icon resource for a port: "IDI_SETUP", "IDI_PORT" or "IDI_NETWORK".
const char *PortIconName(const char *port);

// The first of `count` ports, in list order, that the port page chooses in advance: one
// whose name begins with "IR" (an infrared port), else one beginning with "COM1:", letter
// case of ASCII ignored; -1 when there is neither. `nameAt` gives the name at an index
// (NULL for none).
typedef const char *(*PortNameAt)(void *context, int index);
int PresetPortIndex(int count, PortNameAt nameAt, void *context);

// 1 when a port name starts with exactly "LPT" or "COM" (upper case): a local port.
int IsLocalPortName(const char *port);

// Longest model name whose lookup key (the name between double quotes) still fits in a
// 1024-byte buffer with its NUL.
enum { MAX_MODEL_NAME = 1021 };

// Writes the lookup key of a model, the name between double quotes, into `key`
// (keySize bytes). Returns 0, leaving `key` empty, when the name is too long for it.
int MakeModelKey(const char *name, char *key, size_t keySize);

// Copies `text` into `out` (outSize bytes), cutting it so that it always ends with a NUL.
void CopyBounded(char *out, size_t outSize, const char *text);
