#include <gtest/gtest.h>

#include "settings/SettingsFile.h"

TEST(SettingsValueForms, OnlyExactTrueIsOn) {
    EXPECT_EQ(1, parseSwitch("true"));
    EXPECT_EQ(0, parseSwitch("TRUE"));
}
