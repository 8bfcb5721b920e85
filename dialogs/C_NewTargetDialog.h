#pragma once

#include "dialogs/PickedWindow.h"
#include "framework/CMDialog.h"

// Makes a target of a picked window: its name, and whether its program, its window class or a
// text of its title is to match. OK writes it into the first free slot of target.ini and ends
// the dialog with 1; when the file cannot be written, the dialog says why and stays open.
// Run with runModalUnicode, so that names and titles in any script reach the file whole.
class C_NewTargetDialog : public CMDialog {
public:
    explicit C_NewTargetDialog(const PickedWindow& picked) : picked(picked) {}
    INT_PTR dialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The index of the target that OK wrote.
    int writtenSlot() const { return slot; }

private:
    void initNewTarget();
    void enableTitleText();
    void onOk();
    void showNote(int stringId, DWORD error);

    const PickedWindow& picked;
    int slot = -1;
};
