#include "shell/RefusalNote.h"

#include "framework/UiLanguage.h"
#include "resources/resource.h"
#include "settings/FormatText.h"

int refusalNote(HINSTANCE instance, unsigned refused, char* text, int size) {
    if (size <= 0) return 0;
    text[0] = '\0';
    char format[REFUSAL_NOTE_SIZE];
    UINT id = refused == 1 ? IDS_REFUSED_ONE : IDS_REFUSED_MANY;
    if (!loadUiString(instance, id, format, sizeof format)) return 0;
    return formatText(text, static_cast<size_t>(size), format, refused);
}

int keysNotTakenNote(HINSTANCE instance, const char* keyList, char* text, int size) {
    if (size <= 0) return 0;
    text[0] = '\0';
    char format[REFUSAL_NOTE_SIZE];
    if (!loadUiString(instance, IDS_KEYS_NOT_TAKEN, format, sizeof format)) return 0;
    return formatText(text, static_cast<size_t>(size), format, keyList);
}
