#pragma once

// Templates and control ids of the framework and link-control test programs.
#define IDD_PLAIN 200
#define IDC_TRISTATE 201
#define IDC_LOG 202
#define IDC_FIELD 203
#define IDM_BAR 300
#define IDD_LINK 400
#define IDC_LINK 1027
#define IDI_TEST 500
