// The two source dialogs' templates, read back from the linked resources and
// compared field by field with the table they are built from.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/product.h"
#include "res/resource_ids.h"

namespace {

struct Item {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    WORD id;
    std::string className;  // a predefined class by ordinal becomes its name
    std::string text;
};

struct Template {
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    std::string menu, className, caption, font;
    WORD pointSize;
    std::vector<Item> items;
};

class Reader {
public:
    explicit Reader(const BYTE* p) : p_(p) {}
    WORD Word() { WORD w; memcpy(&w, p_, 2); p_ += 2; return w; }
    DWORD Dword() { DWORD d; memcpy(&d, p_, 4); p_ += 4; return d; }
    short Short() { return static_cast<short>(Word()); }
    void AlignDword(const BYTE* base) { while ((p_ - base) % 4) ++p_; }
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
    const BYTE* p_;
};

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

bool LoadTemplate(int id, Template* out)
{
    HRSRC found = FindResourceExA(nullptr, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(id),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (found == nullptr) return false;
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
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
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword(base);
        Item item;
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

void ExpectItem(const Item& item, WORD id, const char* className, const std::string& text, DWORD style,
                short x, short y, short cx, short cy)
{
    SCOPED_TRACE("control " + std::to_string(static_cast<short>(id)));
    EXPECT_EQ(item.id, id);
    // Class names are case-insensitive, and windres stores them in capitals.
    EXPECT_EQ(lstrcmpiA(item.className.c_str(), className), 0) << item.className << " is not " << className;
    EXPECT_EQ(item.text, text);
    EXPECT_EQ(item.style, style) << std::hex << "got 0x" << item.style << ", expected 0x" << style;
    EXPECT_EQ(item.exStyle, 0u);
    EXPECT_EQ(item.x, x);
    EXPECT_EQ(item.y, y);
    EXPECT_EQ(item.cx, cx);
    EXPECT_EQ(item.cy, cy);
}

void ExpectFrame(const Template& t, short cx, short cy, const char* caption)
{
    EXPECT_EQ(t.style, 0x80C800C0u) << std::hex << "got 0x" << t.style;
    EXPECT_EQ(t.exStyle, 0u);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, cx);
    EXPECT_EQ(t.cy, cy);
    EXPECT_EQ(t.menu, "") << "no menu";
    EXPECT_EQ(t.className, "") << "the default dialog class";
    EXPECT_EQ(t.caption, caption);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.font, "MS Sans Serif");
}

const WORD kNoId = 0xFFFF;

}  // namespace

TEST(DialogTemplates, SettingsDialogIsTheClassicTemplateAsTabled)
{
    Template t;
    ASSERT_TRUE(LoadTemplate(IDD_SETTINGS, &t)) << "template 106 in English (United States)";
    ExpectFrame(t, 367, 139, "Merrowind - Settings");
    ASSERT_EQ(t.items.size(), 8u);
    ExpectItem(t.items[0], 1003, "SysListView32", "List1", 0x5081801D, 7, 7, 291, 113);
    ExpectItem(t.items[1], 1004, "BUTTON", "&Add", 0x50010000, 310, 7, 50, 14);
    ExpectItem(t.items[2], 1005, "BUTTON", "&Edit", 0x50010000, 310, 25, 50, 14);
    ExpectItem(t.items[3], 1006, "BUTTON", "&Remove", 0x50010000, 310, 43, 50, 14);
    ExpectItem(t.items[4], kNoId, "STATIC", "Find more cookie files:", 0x50020000, 7, 124, 71, 8);
    ExpectItem(t.items[5], 1007, "STATIC", kMoreCookiesAddress, 0x50020100, 80, 124, 186, 8);
    ExpectItem(t.items[6], 1, "BUTTON", "OK", 0x50010001, 310, 100, 50, 14);
    ExpectItem(t.items[7], 2, "BUTTON", "Cancel", 0x50010000, 310, 118, 50, 14);
}

TEST(DialogTemplates, CookieFileDialogIsTheClassicTemplateAsTabled)
{
    Template t;
    ASSERT_TRUE(LoadTemplate(IDD_COOKIE_FILE, &t)) << "template 107 in English (United States)";
    ExpectFrame(t, 325, 67, "Merrowind - Add Cookie File");
    ASSERT_EQ(t.items.size(), 8u);
    ExpectItem(t.items[0], kNoId, "STATIC", "Name:", 0x50020000, 7, 10, 22, 8);
    ExpectItem(t.items[1], 1008, "EDIT", "", 0x50810080, 33, 7, 200, 14);
    ExpectItem(t.items[2], kNoId, "STATIC", "Path:", 0x50020000, 11, 28, 18, 8);
    ExpectItem(t.items[3], 1009, "EDIT", "", 0x50810080, 33, 25, 200, 14);
    ExpectItem(t.items[4], 1011, "BUTTON", "...", 0x50010000, 237, 25, 13, 14);
    ExpectItem(t.items[5], 1012, "msctls_progress32", "Progress1", 0x50800000, 33, 46, 200, 14);
    ExpectItem(t.items[6], 1, "BUTTON", "OK", 0x50010001, 268, 7, 50, 14);
    ExpectItem(t.items[7], 2, "BUTTON", "Cancel", 0x50010000, 268, 24, 50, 14);
}

TEST(DialogTemplates, MoreCookiesAddressIsUnderTheHomePagesReservedDomain)
{
    std::string home = kHomePageAddress;
    std::string more = kMoreCookiesAddress;
    EXPECT_EQ(more.compare(0, home.size(), home), 0) << more << " is not under " << home;
    EXPECT_NE(home.find(".example/"), std::string::npos) << "a reserved example domain: " << home;
}

// The manifest, resource 1 of type 24, as linked: the common controls it
// depends on, an execution level (without one, Windows treats the program as
// a legacy one and virtualises its writes into protected folders), and the
// Windows versions it was made for.
TEST(ProgramManifest, RequestsTheInvokersLevelAndNamesTheSupportedWindows)
{
    HRSRC found = FindResourceExA(nullptr, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(found, nullptr) << "expected the manifest as resource 1 of type 24, English (United States)";
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    std::string manifest(bytes, SizeofResource(nullptr, found));
    const char* expected[] = {
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">",
        "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
        "<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">",
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // 7
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // 8
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // 8.1
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // 10 and 11
    };
    for (const char* piece : expected)
        EXPECT_NE(manifest.find(piece), std::string::npos) << "expected the manifest to hold " << piece;
    EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);
}
