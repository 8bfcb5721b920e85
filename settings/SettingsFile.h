#pragma once

struct Settings;

enum { SETTINGS_PATH_SIZE = 310, SETTINGS_VALUE_SIZE = 128 };

// Reads every key of the settings file into settings (the target texts are left alone) and
// returns whether the welcome flag (RUNNEXT) is on. Missing keys take their defaults (the
// hotkeys other than the main window's: the values that settings holds);
// waitTime is clamped into 0..200 so that no sweep can pause without bound.
int loadSettings(Settings& settings);

// Writes every key, the welcome flag as off. Always 1.
int saveSettings(const Settings& settings);

// Value forms of the settings file, exposed for the tests.
int parseSwitch(const char* text);   // exactly "true" is on
int parseInteger(const char* text);  // blanks, sign, digits; saturates at the int32 bounds
