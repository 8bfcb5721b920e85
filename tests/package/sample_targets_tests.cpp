// The target.ini that ships in the package, read by the product's own loader and matched by the
// product's own sweep: each of its five targets finds the windows its comment promises.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/Ceditwindow.h"
#include "settings/IniEncoding.h"
#include "settings/Settings.h"
#include "settings/TargetFile.h"
#include "sweep/SweepState.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/InProcessWindows.h"

namespace {

class SampleTargets : public ::testing::Test {
protected:
    // Some windows are the test's own: no process is spared.
    SampleTargets() : sweep(live, ownDialog, 0) {
        setInitialSettings(live);
        live.waitTime = 0;
        targetFile = test::binFolder() + "target.ini";
        test::copyFile(test::binFolder() + "sample-target.ini", targetFile);
        for (int i = 0; i < OTHER_TARGET_COUNT; ++i) loadOtherTarget(i, live.selection.otherTargets[i]);
        sweep.dialogExpanded = 1;
        countOnly();
        for (int i = 0; i < OTHER_TARGET_COUNT; ++i) baseline[i] = sweep.otherCounts[i];
    }
    ~SampleTargets() override { DeleteFileA(targetFile.c_str()); }

    void countOnly() { sweep.runSweep(1, 0, 0, live.selection); }
    // The targets that the windows made since the fixture began add to, as five 0/1 digits.
    std::string matches() {
        countOnly();
        std::string out;
        for (int i = 0; i < OTHER_TARGET_COUNT; ++i) out += sweep.otherCounts[i] > baseline[i] ? '1' : '0';
        return out;
    }
    std::string inProcess(const std::string& className, const char* utf8Title, bool visible = true,
                          DWORD style = WS_OVERLAPPEDWINDOW) {
        InProcessWindows windows;
        windows.make(className.c_str(), utf8Title, visible, style);
        return matches();
    }

    Settings live;
    Ceditwindow ownDialog;
    SweepState sweep;
    std::string targetFile;
    unsigned baseline[OTHER_TARGET_COUNT] = {};
};

TEST_F(SampleTargets, DefinesFiveLabelledTargetsInAnEncodingNotepadKeeps) {
    for (const OtherTarget& t : live.selection.otherTargets) {
        EXPECT_STRNE("-", t.name);
        EXPECT_FALSE(!strcmp(t.spec, "-") && !strcmp(t.className, "-") && !strcmp(t.text, "-")) << t.name;
        // Labels in plain ASCII read alike in every ANSI code page.
        for (const char* c = t.name; *c; ++c) EXPECT_TRUE(*c >= ' ' && *c <= '~') << t.name;
    }
    EXPECT_STREQ("Notepad", live.selection.otherTargets[0].name);
    // With a BOM, no editor takes it for another encoding, and a first edit keeps it.
    std::string bytes = test::readFile(targetFile);
    EXPECT_EQ(INI_UTF8_BOM, detectIniEncoding(reinterpret_cast<const unsigned char*>(bytes.data()),
                                              static_cast<DWORD>(bytes.size())));
}

// The suite runs under a Japanese and an English locale: each rule means on both what its label
// says, and no rule acts on a window that its label excludes.
TEST_F(SampleTargets, NotepadAndPaintByClass) {
    // Class names compare case-sensitively. The lower-case class comes first and from another
    // process: Wine names a class by the first spelling registered.
    {
        test::TargetWindows other;
        ASSERT_TRUE(other.start({{"notepad", "memo"}}));
        EXPECT_EQ("00001", matches());
    }
    EXPECT_EQ("10001", inProcess("Notepad", u8"無題 - メモ帳"));
    EXPECT_EQ("10001", inProcess("Notepad", u8"Untitled - Notepad"));
    EXPECT_EQ("01001", inProcess("MSPaintApp", u8"無題 - ペイント"));
}

TEST_F(SampleTargets, PdfTitlesOfOrdinaryWindowsOnly) {
    EXPECT_EQ("00101", inProcess("PdfViewer", u8"manual.pdf - Viewer"));
    EXPECT_EQ("00101", inProcess("PdfViewer", u8"説明書.pdf - ビューアー"));
    EXPECT_EQ("00001", inProcess("PdfViewer", u8"MANUAL.PDF - Viewer"));
    EXPECT_EQ("00000", inProcess("PdfViewer", u8"hidden.pdf", false));
    EXPECT_EQ("00000", inProcess("PdfPopup", u8"tip.pdf", true, WS_POPUP | WS_BORDER));
}

TEST_F(SampleTargets, FoldersButWork) {
    EXPECT_EQ("00011", inProcess("CabinetWClass", u8"ドキュメント"));
    EXPECT_EQ("00011", inProcess("CabinetWClass", u8"Downloads"));
    EXPECT_EQ("00001", inProcess("CabinetWClass", u8"Work"));
    EXPECT_EQ("00010", inProcess("CabinetWClass", u8"ピクチャ", false));
}

TEST_F(SampleTargets, AllButExcel) {
    EXPECT_EQ("00000", inProcess("XLMAIN", u8"Book1 - Excel"));
    EXPECT_EQ("00000", inProcess("XLMAIN", u8"売上.xlsx - Excel"));
    EXPECT_EQ("00001", inProcess("OpusApp", u8"文書 1 - Word"));
}

}  // namespace
