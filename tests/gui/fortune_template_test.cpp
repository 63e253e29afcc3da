// Dialog template 102 as the resource compiler built it into the program.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/product.h"
#include "res/resource_ids.h"
#include "window/link_action.h"

struct TemplateItem {
    DWORD style, exStyle;
    short x, y, cx, cy;
    WORD id;
    std::string className;  // predefined classes by name, upper case
    std::string text;
};

struct ParsedTemplate {
    DWORD style, exStyle;
    short x, y, cx, cy;
    std::string menu, windowClass, caption, fontFace;
    WORD pointSize = 0;
    std::vector<TemplateItem> items;
};

// A classic template's sz_Or_Ord field: empty, a 0xFFFF ordinal, or a string.
static std::string ReadField(const WORD*& p)
{
    if (*p == 0) {
        ++p;
        return "";
    }
    if (*p == 0xFFFF) {
        WORD ordinal = p[1];
        p += 2;
        switch (ordinal) {
        case 0x80: return "BUTTON";
        case 0x81: return "EDIT";
        case 0x82: return "STATIC";
        default: return "#" + std::to_string(ordinal);
        }
    }
    std::string text;
    while (*p) text += static_cast<char>(*p++);
    ++p;
    return text;
}

static const WORD* AlignDword(const WORD* p, const void* base)
{
    size_t offset = reinterpret_cast<const BYTE*>(p) - static_cast<const BYTE*>(base);
    return reinterpret_cast<const WORD*>(static_cast<const BYTE*>(base) + ((offset + 3) & ~size_t(3)));
}

static bool ParseTemplate(int id, ParsedTemplate* out)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!found) return false;
    const void* base = LockResource(LoadResource(module, found));
    const DLGTEMPLATE* header = static_cast<const DLGTEMPLATE*>(base);
    if (reinterpret_cast<const WORD*>(base)[1] == 0xFFFF) return false;  // an extended template
    out->style = header->style;
    out->exStyle = header->dwExtendedStyle;
    out->x = header->x;
    out->y = header->y;
    out->cx = header->cx;
    out->cy = header->cy;
    const WORD* p = reinterpret_cast<const WORD*>(header + 1);
    out->menu = ReadField(p);
    out->windowClass = ReadField(p);
    out->caption = ReadField(p);
    if (header->style & DS_SETFONT) {
        out->pointSize = *p++;
        out->fontFace = ReadField(p);
    }
    for (int i = 0; i < header->cdit; ++i) {
        p = AlignDword(p, base);
        const DLGITEMTEMPLATE* item = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
        TemplateItem parsed;
        parsed.style = item->style;
        parsed.exStyle = item->dwExtendedStyle;
        parsed.x = item->x;
        parsed.y = item->y;
        parsed.cx = item->cx;
        parsed.cy = item->cy;
        parsed.id = item->id;
        p = reinterpret_cast<const WORD*>(item + 1);
        parsed.className = ReadField(p);
        CharUpperA(&parsed.className[0]);
        parsed.text = ReadField(p);
        WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        out->items.push_back(parsed);
    }
    return true;
}

TEST(FortuneTemplate, IsTheClassicTemplateAsTabled)
{
    ParsedTemplate t;
    ASSERT_TRUE(ParseTemplate(IDD_FORTUNE, &t)) << "dialog 102 missing or not a classic template";
    EXPECT_EQ(t.style, 0x80C800C0u);
    EXPECT_EQ(t.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, 186);
    EXPECT_EQ(t.cy, 90);
    EXPECT_EQ(t.menu, "");
    EXPECT_EQ(t.windowClass, "") << "the standard dialog class";
    EXPECT_EQ(t.caption, kProgramCaption);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.fontFace, "MS Sans Serif");
}

TEST(FortuneTemplate, ControlsInTabOrder)
{
    ParsedTemplate t;
    ASSERT_TRUE(ParseTemplate(IDD_FORTUNE, &t));
    ASSERT_EQ(t.items.size(), 4u);
    struct Expected {
        WORD id;
        const char* className;
        const char* text;
        DWORD style;
        short x, y, cx, cy;
    } expected[] = {
        {IDOK, "BUTTON", "OK", 0x50010001, 64, 69, 50, 14},
        {IDC_FORTUNE_TEXT, "STATIC", "The fortune text ...", 0x50020000, 7, 7, 172, 51},
        {IDC_HOME_LINK, "STATIC", kHomeLinkLabel, 0x50020100, 154, 75, 25, 8},
        {IDC_SETTINGS_LINK, "STATIC", kSettingsLinkLabel, 0x50020100, 7, 75, 34, 8},
    };
    for (size_t i = 0; i < 4; ++i) {
        const TemplateItem& item = t.items[i];
        const Expected& e = expected[i];
        EXPECT_EQ(item.id, e.id) << "item " << i;
        EXPECT_EQ(item.className, e.className) << "item " << i;
        EXPECT_EQ(item.text, e.text) << "item " << i;
        EXPECT_EQ(item.style, e.style) << "item " << i << " style 0x" << std::hex << item.style;
        EXPECT_EQ(item.exStyle, 0u) << "item " << i;
        EXPECT_EQ(item.x, e.x) << "item " << i;
        EXPECT_EQ(item.y, e.y) << "item " << i;
        EXPECT_EQ(item.cx, e.cx) << "item " << i;
        EXPECT_EQ(item.cy, e.cy) << "item " << i;
    }
}
