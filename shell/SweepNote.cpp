#include "shell/SweepNote.h"

#include "framework/FormatText.h"
#include "framework/UiLanguage.h"
#include "resources/resource.h"

namespace {

// Appends the text of id (its form for one at id, for more at id + 1) with count.
int appendCounted(HINSTANCE instance, UINT id, unsigned count, char* text, int size, int used) {
    char format[REFUSAL_NOTE_SIZE];
    if (used >= size - 1 ||
        !loadUiString(instance, count == 1 ? id : id + 1, format, sizeof format))
        return used;
    return used + formatText(text + used, static_cast<size_t>(size - used), format, count);
}

}  // namespace

int refusalNote(HINSTANCE instance, unsigned refused, char* text, int size) {
    if (size <= 0) return 0;
    text[0] = '\0';
    char format[REFUSAL_NOTE_SIZE];
    UINT id = refused == 1 ? IDS_REFUSED_ONE : IDS_REFUSED_MANY;
    if (!loadUiString(instance, id, format, sizeof format)) return 0;
    return formatText(text, static_cast<size_t>(size), format, refused);
}

int sweepNote(HINSTANCE instance, int minimise, const SweepLeftovers& left, char* text, int size) {
    if (size <= 0) return 0;
    text[0] = '\0';
    unsigned total = left.waiting + left.notResponding + left.stillOpen + left.refused;
    if (!total) return 0;
    if (total == left.refused) return refusalNote(instance, left.refused, text, size);
    const struct {
        unsigned count;
        UINT id;
    } parts[] = {{left.waiting, IDS_NOTE_WAITING_ONE},
                 {left.notResponding, IDS_NOTE_NOT_RESPONDING_ONE},
                 {left.stillOpen, IDS_NOTE_STILL_OPEN_ONE},
                 {left.refused, IDS_NOTE_REFUSED_ONE}};
    char separator[8];
    if (!loadUiString(instance, IDS_NOTE_SEPARATOR, separator, sizeof separator)) return 0;
    int used = appendCounted(instance, minimise ? IDS_NOTE_MINIMISE_ONE : IDS_NOTE_CLOSE_ONE, total,
                             text, size, 0);
    bool first = true;
    for (const auto& part : parts) {
        if (!part.count) continue;
        if (!first)
            used += formatText(text + used, static_cast<size_t>(size - used), "%s", separator);
        first = false;
        used = appendCounted(instance, part.id, part.count, text, size, used);
    }
    return used;
}

int keysNotTakenNote(HINSTANCE instance, const char* keyList, char* text, int size) {
    if (size <= 0) return 0;
    text[0] = '\0';
    char format[REFUSAL_NOTE_SIZE];
    if (!loadUiString(instance, IDS_KEYS_NOT_TAKEN, format, sizeof format)) return 0;
    return formatText(text, static_cast<size_t>(size), format, keyList);
}
