#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"
#include "settings/IniEncoding.h"
#include "shell/HotkeyTable.h"
#include "shell/SweepNote.h"
#include "tests/support/TestSupport.h"

namespace {

// The tray menu exactly as Varnel.exe carries it, loaded from the built program.
class TrayMenuResource : public ::testing::Test {
protected:
    void SetUp() override {
        program = LoadLibraryExA((test::binFolder() + "Varnel.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, program);
        menu = LoadMenuA(program, MAKEINTRESOURCEA(IDR_TRAY_MENU));
        ASSERT_NE(nullptr, menu);
        popup = GetSubMenu(menu, 0);
    }
    void TearDown() override {
        if (menu) DestroyMenu(menu);
        if (program) FreeLibrary(program);
    }
    std::wstring text(UINT command) const {
        wchar_t buffer[256] = {};
        GetMenuStringW(popup, command, buffer, 256, MF_BYCOMMAND);
        return buffer;
    }

    HMODULE program = nullptr;
    HMENU menu = nullptr;
    HMENU popup = nullptr;
};

const unsigned ALL_HELD =
    (1u << HOTKEY_MAIN) | (1u << HOTKEY_EXPLORER) | (1u << HOTKEY_CHROMIUM) | (1u << HOTKEY_FIREFOX);

// The keys until the user chooses others, with the main window's of a mode.
struct Keys {
    HotkeyKey keys[HOTKEY_ACTION_COUNT];
    explicit Keys(int hotkeyMode) {
        setDefaultHotkeys(keys);
        keys[HOTKEY_MAIN - 1] = mainHotkeyOfMode(hotkeyMode);
    }
};

TEST_F(TrayMenuResource, StandardModeNamesTheHeldKeysOnly) {
    prepareTrayMenu(popup, 0, Keys(0).keys, ALL_HELD & ~(1u << HOTKEY_CHROMIUM), 0);
    EXPECT_EQ(L"メインウインドウを開く\tCtrl+Alt+Shift+W", text(IDM_OPEN_MAIN));
    EXPECT_EQ(L"Explorerウインドウを全て閉じる\tCtrl+Alt+Shift+E", text(IDM_CLOSE_EXPLORER));
    EXPECT_EQ(L"Edge/Chromeを全て閉じる", text(IDM_CLOSE_CHROMIUM)) << "held by another program: no hint";
    EXPECT_EQ(L"Mozilla Firefoxを全て閉じる\tCtrl+Alt+Shift+F", text(IDM_CLOSE_FIREFOX));
    EXPECT_EQ(L"一番上のウインドウは閉じない", text(IDM_KEEP_TOPMOST));
    EXPECT_EQ(0u, GetMenuState(popup, IDM_KEEP_TOPMOST, MF_BYCOMMAND) & MF_CHECKED);
    // Restore stands right after minimise, without a hint, greyed while nothing is to restore.
    EXPECT_EQ(L"最小化したウインドウを元に戻す", text(IDM_RESTORE_MINIMISED));
    EXPECT_EQ(static_cast<UINT>(MF_GRAYED), GetMenuState(popup, IDM_RESTORE_MINIMISED, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(40003u, GetMenuItemID(popup, 4));
    EXPECT_EQ(40012u, GetMenuItemID(popup, 5));
}

TEST_F(TrayMenuResource, MainOnlyModeChosenKeysAndTheKeepTopmostMark) {
    prepareTrayMenu(popup, 1, Keys(1).keys, 1u << HOTKEY_MAIN, 1);
    EXPECT_EQ(L"メインウインドウを開く\tAlt+Shift+W", text(IDM_OPEN_MAIN));
    EXPECT_EQ(0u, GetMenuState(popup, IDM_RESTORE_MINIMISED, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(L"Explorerウインドウを全て閉じる", text(IDM_CLOSE_EXPLORER));
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), GetMenuState(popup, IDM_KEEP_TOPMOST, MF_BYCOMMAND) & MF_CHECKED);

    DestroyMenu(menu);
    menu = LoadMenuA(program, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    popup = GetSubMenu(menu, 0);
    // Chosen keys, those of the menu's other commands among them.
    Keys chosen(0);
    chosen.keys[HOTKEY_MAIN - 1] = {MOD_CONTROL, VK_F9};
    chosen.keys[HOTKEY_RESTORE_MINIMISED - 1] = {MOD_ALT | MOD_SHIFT, VK_HOME};
    prepareTrayMenu(popup, 0, chosen.keys, ALL_HELD | (1u << HOTKEY_RESTORE_MINIMISED), 1);
    EXPECT_EQ(L"メインウインドウを開く\tCtrl+F9", text(IDM_OPEN_MAIN));
    EXPECT_EQ(L"最小化したウインドウを元に戻す\tAlt+Shift+Home", text(IDM_RESTORE_MINIMISED));
    EXPECT_EQ(L"現在の設定で全て閉じる", text(IDM_CLOSE_ALL));
}

// The note at start names the keys that another program holds, and is shown again only when that
// set changes.
TEST_F(TrayMenuResource, KeysNotTakenAreNamedOnceForEachSet) {
    Keys keys(0);
    const unsigned chromeAndTarget = (1u << HOTKEY_CHROMIUM) | (1u << HOTKEY_TARGET2);
    keys.keys[HOTKEY_TARGET1 - 1] = {MOD_ALT, VK_F9};  // held
    keys.keys[HOTKEY_TARGET2 - 1] = {MOD_CONTROL | MOD_SHIFT, 'T'};
    char list[128];
    listKeys(keys.keys, chromeAndTarget, list, sizeof list);
    EXPECT_STREQ("Ctrl+Alt+Shift+C, Ctrl+Shift+T", list);

    int mark = keysNotTakenMark(keys.keys, chromeAndTarget);
    EXPECT_EQ(0, keysNotTakenMark(keys.keys, 0)) << "every key held: nothing to tell";
    EXPECT_NE(0, mark);
    EXPECT_EQ(mark, keysNotTakenMark(Keys(keys).keys, chromeAndTarget));
    EXPECT_NE(mark, keysNotTakenMark(keys.keys, 1u << HOTKEY_CHROMIUM));
    keys.keys[HOTKEY_CHROMIUM - 1] = {MOD_ALT | MOD_SHIFT, 'C'};
    EXPECT_NE(mark, keysNotTakenMark(keys.keys, chromeAndTarget)) << "another key for the same action";

    char note[REFUSAL_NOTE_SIZE];
    ASSERT_GT(keysNotTakenNote(program, "Ctrl+Alt+Shift+C", note, sizeof note), 0);
    if (GetACP() == 932)
        EXPECT_EQ(test::encodedText(L"他のプログラムが使用中のキー: Ctrl+Alt+Shift+C。別のキーは、トレイメニューの"
                                    L"「オプション...」で選べます。",
                                    INI_ANSI),
                  note);
    else
        EXPECT_STREQ(
            "Keys in use by another program: Ctrl+Alt+Shift+C. Choose others under Options... in the tray menu.", note);
}

// The English menu, whatever the locale: the hints follow its texts just the same.
TEST_F(TrayMenuResource, EnglishMenuGetsTheSameHints) {
    DestroyMenu(menu);
    HRSRC english = FindResourceExA(program, MAKEINTRESOURCEA(4), MAKEINTRESOURCEA(IDR_TRAY_MENU),
                                    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(nullptr, english);
    menu = LoadMenuIndirectA(LockResource(LoadResource(program, english)));
    popup = GetSubMenu(menu, 0);
    prepareTrayMenu(popup, 1, Keys(0).keys, ALL_HELD & ~(1u << HOTKEY_CHROMIUM), 1);
    EXPECT_EQ(L"Open the main window\tCtrl+Alt+Shift+W", text(IDM_OPEN_MAIN));
    EXPECT_EQ(L"Restore minimized windows", text(IDM_RESTORE_MINIMISED));
    EXPECT_EQ(L"Close all Explorer windows\tCtrl+Alt+Shift+E", text(IDM_CLOSE_EXPLORER));
    EXPECT_EQ(L"Close all Edge/Chrome windows", text(IDM_CLOSE_CHROMIUM));
    EXPECT_EQ(L"Close all Mozilla Firefox windows\tCtrl+Alt+Shift+F", text(IDM_CLOSE_FIREFOX));
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), GetMenuState(popup, IDM_KEEP_TOPMOST, MF_BYCOMMAND) & MF_CHECKED);
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        std::wstring item = text(GetMenuItemID(popup, i));
        for (wchar_t c : item) EXPECT_TRUE(c == L'\t' || (c >= 0x20 && c <= 0x7e)) << i;
    }
}

}  // namespace
