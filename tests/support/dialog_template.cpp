#include "tests/support/dialog_template.h"

#include <string.h>

#include <gtest/gtest.h>

namespace {

class Reader {
public:
    explicit Reader(const BYTE* base) : base_(base), p_(base) {}
    WORD Word() { WORD w; memcpy(&w, p_, 2); p_ += 2; return w; }
    DWORD Dword() { DWORD d; memcpy(&d, p_, 4); p_ += 4; return d; }
    short Short() { return static_cast<short>(Word()); }
    void AlignDword() { while ((p_ - base_) % 4) ++p_; }
    // A zero-terminated UTF-16 string, or an ordinal after 0xFFFF.
    std::string StringOrOrdinal()
    {
        WORD first = Word();
        if (first == 0xFFFF) return "#" + std::to_string(Word());
        std::string s;
        for (WORD c = first; c != 0; c = Word()) s += static_cast<char>(c);
        return s;
    }
    void Skip(size_t n) { p_ += n; }

private:
    const BYTE* base_;
    const BYTE* p_;
};

// Class names are case-insensitive, and windres stores them in capitals.
std::string PredefinedClass(const std::string& name)
{
    if (name == "#128") return "BUTTON";
    if (name == "#129") return "EDIT";
    if (name == "#130") return "STATIC";
    std::string upper = name;
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    if (upper == "BUTTON" || upper == "EDIT" || upper == "STATIC") return upper;
    return name;
}

}  // namespace

bool LoadDialogTemplate(int id, WORD language, DialogTemplate* out)
{
    HRSRC found = FindResourceExA(nullptr, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(id), language);
    if (found == nullptr) return false;
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    if (reinterpret_cast<const WORD*>(base)[1] == 0xFFFF) return false;  // an extended template
    Reader r(base);
    out->style = r.Dword();
    out->exStyle = r.Dword();
    WORD count = r.Word();
    out->x = r.Short();
    out->y = r.Short();
    out->cx = r.Short();
    out->cy = r.Short();
    out->menu = r.StringOrOrdinal();
    out->className = r.StringOrOrdinal();
    out->caption = r.StringOrOrdinal();
    out->pointSize = 0;
    if (out->style & DS_SETFONT) {
        out->pointSize = r.Word();
        out->font = r.StringOrOrdinal();
    }
    out->items.clear();
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword();
        DialogItem item;
        item.style = r.Dword();
        item.exStyle = r.Dword();
        item.x = r.Short();
        item.y = r.Short();
        item.cx = r.Short();
        item.cy = r.Short();
        item.id = r.Word();
        item.className = PredefinedClass(r.StringOrOrdinal());
        item.text = r.StringOrOrdinal();
        r.Skip(r.Word());
        out->items.push_back(item);
    }
    return true;
}

void ExpectDialogFrame(const DialogTemplate& t, short cx, short cy, const char* caption)
{
    EXPECT_EQ(t.style, 0x80C800C0u) << std::hex << "got 0x" << t.style;
    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, cx);
    EXPECT_EQ(t.cy, cy);
    EXPECT_EQ(t.menu, "") << "no menu";
    EXPECT_EQ(t.className, "") << "the standard dialog class";
    EXPECT_EQ(t.caption, caption);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.font, "MS Sans Serif");
}

void ExpectDialogItem(const DialogItem& item, WORD id, const char* className, const std::string& text,
                      DWORD style, short x, short y, short cx, short cy)
{
    SCOPED_TRACE("control " + std::to_string(static_cast<short>(id)));
    EXPECT_EQ(item.id, id);
    EXPECT_EQ(lstrcmpiA(item.className.c_str(), className), 0) << item.className << " is not " << className;
    EXPECT_EQ(item.text, text);
    EXPECT_EQ(item.style, style) << std::hex << "got 0x" << item.style << ", expected 0x" << style;
    EXPECT_EQ(item.exStyle, 0u);
    EXPECT_EQ(item.x, x);
    EXPECT_EQ(item.y, y);
    EXPECT_EQ(item.cx, cx);
    EXPECT_EQ(item.cy, cy);
}
