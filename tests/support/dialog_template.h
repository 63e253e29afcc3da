// Dialog templates as the resource compiler built them into the running
// module, read back field by field, for every test of a template.
#ifndef MERROWIND_TESTS_DIALOG_TEMPLATE_H
#define MERROWIND_TESTS_DIALOG_TEMPLATE_H

#include <windows.h>

#include <string>
#include <vector>

struct DialogItem {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    WORD id;
    std::string className;  // a predefined class (by ordinal or name) in capitals
    std::string text;
};

struct DialogTemplate {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    std::string menu, className, caption, font;
    WORD pointSize;
    std::vector<DialogItem> items;
};

// Reads template id in the given language; false when there is none, or when
// it is an extended template rather than a classic one.
bool LoadDialogTemplate(int id, WORD language, DialogTemplate* out);

// The frame every template of the program shares: 0x80C800C0, at (0, 0), no
// menu, the standard dialog class, 8-point "MS Sans Serif".
void ExpectDialogFrame(const DialogTemplate& t, short cx, short cy, const char* caption);
// One control, every field; its id is named in the failure messages.
void ExpectDialogItem(const DialogItem& item, WORD id, const char* className, const std::string& text,
                      DWORD style, short x, short y, short cx, short cy);

#endif
