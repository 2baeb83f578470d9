// The panel's draw callback: the divider between the settings and the
// preview, and the logo in the canvas's bottom-right corner.
#pragma once

#include "host/host_records.h"

constexpr int kLogoWidth = 153;
constexpr int kLogoHeight = 80;
// Pixels of this colour are left out, so the canvas shows through.
constexpr unsigned char kLogoKey[3] = {0, 255, 0};

// The logo: rows top to bottom, pixels left to right, red, green, blue.
// Generated at build time from logo/logo.ppm.
extern "C" const unsigned char logo_data[kLogoWidth * kLogoHeight * 3];

// Whether a logo pixel (three bytes) is left out.
bool isLogoKey(const unsigned char *pixel);

// `data` is the instance whose panel is being drawn.
void redraw(PanelRef panel, void *data);
