#pragma once

// Quillon's string table; each text exists in Japanese and in English.
#define IDS_NO_SETTING 1
#define IDS_QUESTION 2
#define IDS_CAPTION 3
#define IDS_SET_DONE 4
#define IDS_REMOVED_DONE 5
#define IDS_OTHERS_CAN_CHANGE 6
#define QUILLON_TEXT_COUNT 7
