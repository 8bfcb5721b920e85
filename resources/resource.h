// Resource ids of Varnel. Plain #defines only, so that both the C++ sources and the resource
// compiler can include this file.
#ifndef VARNEL_RESOURCE_H
#define VARNEL_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Manifest (RT_MANIFEST, id 1 as for every executable)
#define IDR_MANIFEST 1

// String table
#define IDS_RUNNING 2        // dialog title while a sweep runs
#define IDS_CLOSE_ALL 3      // run button, Ctrl up
#define IDS_CANCEL 4         // cancel button, Ctrl up
#define IDS_SETTINGS_ONLY 5  // cancel button, Ctrl held
#define IDS_MINIMISE_ALL 6   // run button, Ctrl held
// The note after a sweep in which Windows refused windows of a program run as administrator
#define IDS_REFUSED_TITLE 20
#define IDS_REFUSED_ONE 21   // "%u" is the count, 1
#define IDS_REFUSED_MANY 22  // "%u" is the count, more than 1
// The note after a sweep that left windows open (%u a count; each text has a form for one
// window and, at the id after it, one for more): the head, then the parts, joined.
#define IDS_NOTE_CLOSE_ONE 42
#define IDS_NOTE_CLOSE_MANY 43
#define IDS_NOTE_MINIMISE_ONE 44
#define IDS_NOTE_MINIMISE_MANY 45
#define IDS_NOTE_WAITING_ONE 46
#define IDS_NOTE_WAITING_MANY 47
#define IDS_NOTE_NOT_RESPONDING_ONE 48
#define IDS_NOTE_NOT_RESPONDING_MANY 49
#define IDS_NOTE_STILL_OPEN_ONE 50
#define IDS_NOTE_STILL_OPEN_MANY 51
#define IDS_NOTE_REFUSED_ONE 52
#define IDS_NOTE_REFUSED_MANY 53
#define IDS_NOTE_SEPARATOR 54
// A user-defined target's row, and the new-target dialog
#define IDS_RULE_TOO_LONG 30  // before a target's label: a condition is too long to hold
#define IDS_TARGETS_FULL 35   // tooltip of the greyed add-from-a-window button
#define IDS_TARGET_FILE_READ_ONLY 36
#define IDS_TARGET_FILE_NOT_WRITTEN 37  // followed by the system's text for the error
#define IDS_TARGET_FILE_ENCODING 38
#define IDS_NO_FREE_TARGET 39
#define IDS_TITLE_TEXT_EMPTY 40
#define IDS_TARGET_TOO_LONG 41
#define IDS_TARGET_NOT_LITERAL 55  // target.ini would read the value as another rule
// The command line: result lines (%ls the kind as written on the command line), failures, the
// usage text and the reasons for a usage error (%ls the argument concerned).
#define IDS_CMD_CLOSED 60
#define IDS_CMD_MINIMISED 61
#define IDS_CMD_SPARED 62
#define IDS_CMD_COUNTED 63
#define IDS_CMD_RESTORED 64
#define IDS_CMD_NO_ANSWER 65
#define IDS_CMD_REFUSED 66
#define IDS_CMD_USAGE 67
#define IDS_CMD_ERROR_PREFIX 68
#define IDS_CMD_UNKNOWN_OPTION 70
#define IDS_CMD_NO_COMMAND 71
#define IDS_CMD_TWO_COMMANDS 72
#define IDS_CMD_NO_KIND 73
#define IDS_CMD_WAIT_RANGE 74
#define IDS_CMD_TOO_LONG 75
#define IDS_CMD_LINE_TOO_LONG 76
#define IDS_CMD_EMPTY_NAME 77
#define IDS_CMD_TOO_MANY_KINDS 78
#define IDS_CMD_OPTION_TWICE 79
#define IDS_CMD_NOT_FOR_VERB 80
#define IDS_CMD_UNKNOWN_NAME 81
#define IDS_CMD_REFUSED_WINDOWS 82  // %u windows that Windows kept from the command
#define IDS_CMD_NOT_TAKEN 83
#define IDS_CMD_BAD_ANSWER 84
#define IDS_CMD_UNREACHABLE 85
#define IDS_CMD_TIMEOUT_RANGE 90
// After a result line, the windows that did not close (or minimise), %u each
#define IDS_CMD_WAITING 91
#define IDS_CMD_NOT_RESPONDING 92
#define IDS_CMD_STILL_OPEN 93
// The keys: the note at start when other programs hold some (%s the keys), and the Options
// dialog's words beside a key and about the mode
#define IDS_KEYS_NOT_TAKEN_TITLE 100
#define IDS_KEYS_NOT_TAKEN 101
#define IDS_KEY_RESERVED 102
#define IDS_KEY_TWICE 103
#define IDS_KEY_IN_USE 104
#define IDS_KEY_TARGET 105            // %s the target's name
#define IDS_KEY_TARGET_UNDEFINED 106  // %d the target's number, from 1
#define IDS_KEYS_MAIN_ONLY 107
#define IDS_KEYS_NONE 108

// Icons
#define IDI_VARNEL 101
#define IDI_PIN_OFF 104
#define IDI_PIN_ON 105
#define IDI_EXPAND 112
#define IDI_COLLAPSE 113

// Bitmaps: the welcome dialog's pictures at 100%, then at the larger display scalings
#define IDB_TRAY 108
#define IDB_RULE 109
#define IDB_TRAY_125 130
#define IDB_RULE_125 131
#define IDB_TRAY_150 132
#define IDB_RULE_150 133
#define IDB_TRAY_200 134
#define IDB_RULE_200 135
#define IDB_TRAY_300 136
#define IDB_RULE_300 137

// Dialog templates
#define IDD_MAIN 102
#define IDD_WELCOME 107
#define IDD_SETTINGS 114
#define IDD_NEW_TARGET 140

// Tray popup menu
#define IDR_TRAY_MENU 106

// Main dialog (IDD_MAIN)
#define IDC_RUN 1  // the same value as IDOK, so Enter runs the sweep
#define IDC_EXPLORER 1000
#define IDC_CHROMIUM 1001
#define IDC_FIREFOX 1002
#define IDC_KEEP_TOPMOST 1003
#define IDC_FONT_SOURCE 1004  // emptied static; the link font is made from its font
#define IDC_PIN_BUTTON 1005
#define IDC_COUNT_EXPLORER 1006
#define IDC_COUNT_CHROMIUM 1007
#define IDC_COUNT_FIREFOX 1008
#define IDC_CANCEL_BUTTON 1009
// User-defined target i: check box IDC_OTHER0 + 2*i, count IDC_OTHER_COUNT0 + 2*i.
#define IDC_OTHER0 1010
#define IDC_OTHER_COUNT0 1011
#define IDC_OTHER1 1012
#define IDC_OTHER_COUNT1 1013
#define IDC_OTHER2 1014
#define IDC_OTHER_COUNT2 1015
#define IDC_OTHER3 1016
#define IDC_OTHER_COUNT3 1017
#define IDC_OTHER4 1018
#define IDC_OTHER_COUNT4 1019
#define IDC_EDIT_TARGETS 1020
#define IDC_TARGET_GROUP 1021
#define IDC_EXPAND 1024
#define IDC_COLLAPSE 1025
#define IDC_HELP_LINK 1027
#define IDC_ADD_FROM_WINDOW 1040

// New target dialog (IDD_NEW_TARGET); its buttons are IDOK and IDCANCEL
#define IDC_NEW_NAME 1041
#define IDC_MATCH_PROGRAM 1042
#define IDC_MATCH_CLASS 1043
#define IDC_MATCH_TITLE 1044
#define IDC_PROGRAM_NAME 1045
#define IDC_CLASS_NAME 1046
#define IDC_TITLE_TEXT 1047
#define IDC_NEW_TARGET_NOTE 1048

// Welcome dialog (IDD_WELCOME); its close button is IDOK
#define IDC_VERSION 1010
#define IDC_REGISTRAR 1011
#define IDC_NON_RESIDENT 1025
#define IDC_MODE_STANDARD 1029
#define IDC_MODE_MAIN_ONLY 1030
#define IDC_TRAY_PICTURE 1031
#define IDC_RULE_PICTURE 1032

// Settings dialog (IDD_SETTINGS); its buttons are IDOK and IDCANCEL
#define IDC_SETTINGS_NON_RESIDENT 1025
#define IDC_WAIT_TIME 1026
// Row i of the keys, in the order of the hotkey ids: label, hotkey control, the word beside it
#define IDC_KEY_LABEL0 1100
#define IDC_KEY0 1120
#define IDC_KEY_NOTE0 1140
#define IDC_KEYS_MODE_NOTE 1160

// Tray menu commands
#define IDM_EXIT 40001
#define IDM_OPEN_MAIN 40002
#define IDM_MINIMISE_ALL 40003
#define IDM_CLOSE_ALL 40004
#define IDM_CLOSE_EXPLORER 40005
#define IDM_CLOSE_CHROMIUM 40006
#define IDM_CLOSE_FIREFOX 40007
#define IDM_CANCEL 40008
#define IDM_ABOUT 40009
#define IDM_KEEP_TOPMOST 40010
#define IDM_OPTIONS 40011
#define IDM_RESTORE_MINIMISED 40012

// Hotkey ids (wParam of WM_HOTKEY to the resident window), one per action that can have a key,
// in the order of the Options dialog's rows: the hotkey mode says which are registered with the
// system. The tray menu posts them too, for its commands that do what a key does.
#define HOTKEY_MAIN 1
#define HOTKEY_EXPLORER 2
#define HOTKEY_CHROMIUM 3
#define HOTKEY_FIREFOX 4
#define HOTKEY_CLOSE_ALL 5
#define HOTKEY_MINIMISE_ALL 6
#define HOTKEY_RESTORE_MINIMISED 7
#define HOTKEY_TARGET1 8
#define HOTKEY_TARGET2 9
#define HOTKEY_TARGET3 10
#define HOTKEY_TARGET4 11
#define HOTKEY_TARGET5 12
#define HOTKEY_LAST 12

#endif
