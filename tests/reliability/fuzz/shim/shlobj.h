#pragma once

enum { CSIDL_APPDATA = 26 };
