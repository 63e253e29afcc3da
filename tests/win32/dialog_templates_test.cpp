// The dialog templates, read back from the linked resources and compared
// field by field with the table they are built from; and the language of the
// built-in string table.
#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/product.h"
#include "res/resource_ids.h"
#include "tests/support/dialog_template.h"
#include "controls/link_action.h"

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const WORD kNoId = 0xFFFF;

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR languages)
{
    reinterpret_cast<std::set<int>*>(languages)->insert(language);
    return TRUE;
}

// Every string-table block by number, with the languages it is stored in.
struct StringBlocks {
    std::set<int> blocks;
    std::set<int> languages;
};

BOOL CALLBACK CollectBlock(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR found)
{
    StringBlocks* seen = reinterpret_cast<StringBlocks*>(found);
    seen->blocks.insert(IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : -1);
    EnumResourceLanguagesA(module, type, name, CollectLanguage, reinterpret_cast<LONG_PTR>(&seen->languages));
    return TRUE;
}

}  // namespace

// The texts themselves are compared through LoadStringA with the build's
// table in the selection tests; here, what LoadStringA does not show.
TEST(BuiltInTable, IsStoredInEnglishUnitedKingdomWithoutGapsOrExtras)
{
    StringBlocks seen;
    EnumResourceNamesA(GetModuleHandleA(nullptr), reinterpret_cast<LPCSTR>(RT_STRING), CollectBlock,
                       reinterpret_cast<LONG_PTR>(&seen));
    EXPECT_EQ(seen.languages, std::set<int>({MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK)}))
        << "every block in English (United Kingdom), language 2057";
    // Sixteen strings a block: ids 1 to 4297 fill blocks 1 to 269, each once.
    ASSERT_FALSE(seen.blocks.empty()) << "expected string-table blocks";
    EXPECT_EQ(*seen.blocks.begin(), 1) << "the first block";
    EXPECT_EQ(*seen.blocks.rbegin(), 269) << "the last block";
    EXPECT_EQ(seen.blocks.size(), 269u) << "blocks 1 to 269 without a gap";
    char text[8];
    EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), 0, text, sizeof text), 0) << "no string 0";
    for (UINT id = 4298; id < 269 * 16; ++id)
        EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text), 0) << "no string " << id;
}

TEST(FortuneTemplate, IsTheClassicTemplateAsTabled)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(IDD_FORTUNE, kEnglishUs, &t)) << "classic template 102 in English (United States)";
    ExpectDialogFrame(t, 186, 90, kProgramCaption);
}

TEST(FortuneTemplate, ControlsInTabOrder)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(IDD_FORTUNE, kEnglishUs, &t)) << "classic template 102 in English (United States)";
    ASSERT_EQ(t.items.size(), 4u);
    ExpectDialogItem(t.items[0], IDOK, "BUTTON", "OK", 0x50010001, 64, 69, 50, 14);
    ExpectDialogItem(t.items[1], IDC_FORTUNE_TEXT, "STATIC", "The fortune text ...", 0x50020000, 7, 7, 172, 51);
    ExpectDialogItem(t.items[2], IDC_HOME_LINK, "STATIC", kHomeLinkLabel, 0x50020100, 154, 75, 25, 8);
    ExpectDialogItem(t.items[3], IDC_SETTINGS_LINK, "STATIC", kSettingsLinkLabel, 0x50020100, 7, 75, 34, 8);
}

TEST(DialogTemplates, SettingsDialogIsTheClassicTemplateAsTabled)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(IDD_SETTINGS, kEnglishUs, &t)) << "classic template 106 in English (United States)";
    ExpectDialogFrame(t, 367, 139, "Merrowind - Settings");
    ASSERT_EQ(t.items.size(), 9u);
    ExpectDialogItem(t.items[0], 1003, "SysListView32", "List1", 0x5081801D, 7, 7, 291, 113);
    ExpectDialogItem(t.items[1], 1004, "BUTTON", "&Add", 0x50010000, 310, 7, 50, 14);
    ExpectDialogItem(t.items[2], 1005, "BUTTON", "&Edit", 0x50010000, 310, 25, 50, 14);
    ExpectDialogItem(t.items[3], 1006, "BUTTON", "&Remove", 0x50010000, 310, 43, 50, 14);
    ExpectDialogItem(t.items[4], IDC_OPTIONS, "BUTTON", "&Options...", 0x50010000, 310, 61, 50, 14);
    ExpectDialogItem(t.items[5], kNoId, "STATIC", "Find more cookie files:", 0x50020000, 7, 124, 71, 8);
    ExpectDialogItem(t.items[6], 1007, "STATIC", kMoreCookiesAddress, 0x50020100, 80, 124, 186, 8);
    ExpectDialogItem(t.items[7], 1, "BUTTON", "OK", 0x50010001, 310, 100, 50, 14);
    ExpectDialogItem(t.items[8], 2, "BUTTON", "Cancel", 0x50010000, 310, 118, 50, 14);
}

TEST(DialogTemplates, CookieFileDialogIsTheClassicTemplateAsTabled)
{
    DialogTemplate t;
    ASSERT_TRUE(LoadDialogTemplate(IDD_COOKIE_FILE, kEnglishUs, &t))
        << "classic template 107 in English (United States)";
    ExpectDialogFrame(t, 325, 67, "Merrowind - Add Cookie File");
    ASSERT_EQ(t.items.size(), 8u);
    ExpectDialogItem(t.items[0], kNoId, "STATIC", "Name:", 0x50020000, 7, 10, 22, 8);
    ExpectDialogItem(t.items[1], 1008, "EDIT", "", 0x50810080, 33, 7, 200, 14);
    ExpectDialogItem(t.items[2], kNoId, "STATIC", "Path:", 0x50020000, 11, 28, 18, 8);
    ExpectDialogItem(t.items[3], 1009, "EDIT", "", 0x50810080, 33, 25, 200, 14);
    ExpectDialogItem(t.items[4], 1011, "BUTTON", "...", 0x50010000, 237, 25, 13, 14);
    ExpectDialogItem(t.items[5], 1012, "msctls_progress32", "Progress1", 0x50800000, 33, 46, 200, 14);
    ExpectDialogItem(t.items[6], 1, "BUTTON", "OK", 0x50010001, 268, 7, 50, 14);
    ExpectDialogItem(t.items[7], 2, "BUTTON", "Cancel", 0x50010000, 268, 24, 50, 14);
}

TEST(DialogTemplates, MoreCookiesAddressIsUnderTheHomePagesReservedDomain)
{
    std::string home = kHomePageAddress;
    std::string more = kMoreCookiesAddress;
    EXPECT_EQ(more.compare(0, home.size(), home), 0) << more << " is not under " << home;
    EXPECT_NE(home.find(".example/"), std::string::npos) << "a reserved example domain: " << home;
}

// The icon and the cursor as linked: an image for each size Windows asks for
// at the scalings it offers, the icon's 32-bit (with alpha), its largest a
// PNG; the cursor's monochrome.
TEST(ProgramImages, IconAndCursorHoldEverySizeWindowsAsksFor)
{
    const struct { LPCSTR group, type; int id, bits; std::vector<int> sizes; } rows[] = {
        {RT_GROUP_ICON, RT_ICON, IDI_PROGRAM, 32, {16, 20, 24, 32, 40, 48, 64, 256}},
        {RT_GROUP_CURSOR, RT_CURSOR, IDC_LINK_CURSOR, 1, {32, 40, 48, 56, 64, 80, 96, 128}}};
    for (const auto& r : rows) {
        HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(r.id), r.group);
        ASSERT_NE(found, nullptr) << "group " << r.id;
        const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
        std::vector<int> sizes;
        for (int i = 0; i < (group[4] | group[5] << 8); ++i) {
            const BYTE* entry = group + 6 + 14 * i;
            // An icon gives its width in a byte (0 for 256), a cursor in a word.
            sizes.push_back(r.group == RT_GROUP_ICON ? (entry[0] ? entry[0] : 256) : entry[0] | entry[1] << 8);
            EXPECT_EQ(entry[6] | entry[7] << 8, r.bits) << "bits per pixel, group " << r.id << " image " << i;
            HRSRC image = FindResourceA(nullptr, MAKEINTRESOURCEA(entry[12] | entry[13] << 8), r.type);
            ASSERT_NE(image, nullptr) << "group " << r.id << " image " << i;
            const void* bytes = LockResource(LoadResource(nullptr, image));
            EXPECT_EQ(std::memcmp(bytes, "\x89PNG", 4) == 0, sizes.back() == 256) << "PNG, group " << r.id << " image " << i;
        }
        EXPECT_EQ(sizes, r.sizes) << "group " << r.id;
    }
}

// The manifest, resource 1 of type 24, as linked: the common controls it
// depends on, an execution level (without one, Windows treats the program as
// a legacy one and virtualises its writes into protected folders), the
// Windows versions it was made for, and per-monitor DPI awareness (which
// Wine does not act on, so it is read here).
TEST(ProgramManifest, RequestsTheInvokersLevelPerMonitorDpiAndNamesTheSupportedWindows)
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
        "<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">",  // per-monitor DPI
        // Per-monitor version 2 or else system-aware: no per-monitor version 1.
        "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, System<",
    };
    for (const char* piece : expected)
        EXPECT_NE(manifest.find(piece), std::string::npos) << "expected the manifest to hold " << piece;
    EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);
}
