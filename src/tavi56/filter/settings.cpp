#include "filter/settings.h"

#include <climits>
#include <cstdio>

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads one decimal integer as "%d" would, after optional white space and
// sign, but saturates to the int range instead of overflowing. False when
// no number starts at `text`.
bool parseNumber(const char *&text, int &value) {
    const char *p = text;
    while (isSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    if (!isDigit(*p)) return false;
    long long magnitude = 0;
    const long long cap = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; isDigit(*p); ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > cap) magnitude = cap;
    }
    value = static_cast<int>(negative ? -magnitude : magnitude);
    text = p;
    return true;
}

}  // namespace

int TaviSave(FilterInstance *inst, const SettingsWriter *writer) {
    // Zero-filled, so the unused tail of the block holds no stale memory.
    char buffer[128] = {};
    std::snprintf(buffer, sizeof buffer, "%d %d %d", inst->target, inst->strength, inst->threshold);
    writer->write(writer->context, buffer, kSettingsBlockSize);
    return 0;
}

int TaviLoad(FilterInstance *inst, const SettingsReader *reader) {
    char buffer[128] = {};
    reader->read(reader->context, buffer, kSettingsBlockSize);
    // The host may hand back a block without its NUL; never parse past it.
    buffer[kSettingsBlockSize] = '\0';

    int *fields[3] = {&inst->target, &inst->strength, &inst->threshold};
    const char *text = buffer;
    for (int *field : fields) {
        int value = 0;
        if (!parseNumber(text, value)) break;
        *field = value;
    }
    return 0;
}
