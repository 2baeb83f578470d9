// The settings line the host keeps in its scene: "target strength threshold".
#pragma once

#include "filter/instance.h"

// The block the line travels in; bytes after the line's NUL carry nothing.
constexpr int kSettingsBlockSize = 120;

// Writes the line in a block of exactly 120 bytes. Always 0.
int TaviSave(FilterInstance *inst, const SettingsWriter *writer);
// Reads up to 120 bytes and stores the numbers found into target, strength
// and threshold, in that order, without range checks; a shorter line leaves
// the remaining fields as they were. The run values are not touched. Always 0.
int TaviLoad(FilterInstance *inst, const SettingsReader *reader);
