#pragma once

// Quillon's string table; each text exists in Japanese and in English.
#define IDS_NO_SETTING 1
#define IDS_QUESTION 2
#define IDS_CAPTION 3
#define IDS_SET_DONE 4
#define IDS_REMOVED_DONE 5
#define IDS_OTHERS_CAN_CHANGE 6
#define IDS_OTHERS_VALUE 7      // %s the value's name, %s its data
#define IDS_NOT_A_PLAIN_NAME 8  // %s the KEY of Quillon.ini
#define QUILLON_TEXT_COUNT 9
