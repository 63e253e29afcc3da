// The real merrowind.exe against malformed catalogue values: none may crash
// the program, and the catalogue must hold exactly what the program's rules
// leave in it.
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "tests/support/bad_input.h"

namespace {

std::string Bytes(const SourceRecord& record)
{
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

// One malformed value beside a sound built-in record: none may crash the
// program or be rewritten by it.
struct MalformedValue {
    const char* what;
    DWORD type;
    std::string data;
};

std::vector<MalformedValue> MalformedValues()
{
    SourceRecord builtIn = MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes");
    std::string whole = Bytes(builtIn);
    SourceRecord unterminated = MakeRecord(1, kSourceCookieFile, 5, "");
    memset(unterminated.name, 'N', sizeof unterminated.name);
    memset(unterminated.cookiePath, 'C', sizeof unterminated.cookiePath);
    memset(unterminated.indexPath, 'I', sizeof unterminated.indexPath);
    return {
        {"0 bytes", REG_BINARY, ""},
        {"1 byte", REG_BINARY, std::string(1, '\x01')},
        {"787 bytes", REG_BINARY, whole.substr(0, 787)},
        {"789 bytes", REG_BINARY, whole + "x"},
        {"4096 bytes of 0xFF", REG_BINARY, std::string(4096, '\xFF')},
        {"REG_SZ", REG_SZ, std::string("Internal Fortunes\0", 18)},
        {"fields without NUL", REG_BINARY, Bytes(unterminated)},
        {"kind 3", REG_BINARY, Bytes(MakeRecord(1, 3, 100, "three"))},
        {"kind -1", REG_BINARY, Bytes(MakeRecord(1, -1, 100, "minus one"))},
        {"count 0xFFFFFFFF", REG_BINARY, Bytes(MakeRecord(1, kSourceBuiltIn, 0xFFFFFFFFu, "huge"))},
    };
}

TEST_F(BadInput, MalformedCatalogueValuesAreReadSafelyAndLeftAlone)
{
    for (const MalformedValue& value : MalformedValues()) {
        SCOPED_TRACE(value.what);
        DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
        DeleteFileA(folder_.File("out.txt").c_str());
        WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes")});
        SetRawValue(CatalogueKey, "MWD00001", value.type, value.data);
        std::vector<RegistryValue> before = SnapshotKey(CatalogueKey);
        std::set<std::string> files = FolderNames(folder_.Path());

        WindowedRun run = Run();
        EXPECT_EQ(run.windowsAnswered, 0) << "file mode shows no window";
        EXPECT_EQ(SnapshotKey(CatalogueKey), before) << "the catalogue must stay byte-identical";
        ExpectBuiltInOrNothing(files);
    }
}

TEST_F(BadInput, AGapEndsTheCatalogue)
{
    // What lies behind a gap is not part of the catalogue: not drawn, not
    // removed, not renumbered.
    WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes")});
    SetRawValue(CatalogueKey, "MWD00002", REG_BINARY, Bytes(MakeRecord(1, kSourceLegacyText, 3, "Fortune.txt", "Fortune.txt")));
    std::vector<RegistryValue> before = SnapshotKey(CatalogueKey);
    std::set<std::string> files = FolderNames(folder_.Path());
    WindowedRun run = Run();
    EXPECT_EQ(run.windowsAnswered, 0);
    EXPECT_EQ(SnapshotKey(CatalogueKey), before);
    ExpectBuiltInOrNothing(files);
    EXPECT_TRUE(FileExists(folder_.File("out.txt"))) << "the built-in record before the gap is drawn";
}

TEST_F(BadInput, AGapAtTheStartGetsTheBuiltInRecord)
{
    // An empty run gets the built-in record at position 0, which closes the
    // gap: the stray value behind it joins the catalogue as it is.
    SourceRecord stray = MakeRecord(1, kSourceCookieFile, 3, "stray", "C:\\nowhere.txt");
    SetRawValue(CatalogueKey, "MWD00001", REG_BINARY, Bytes(stray));
    std::set<std::string> files = FolderNames(folder_.Path());
    WindowedRun run = Run();
    EXPECT_EQ(run.windowsAnswered, 0);
    std::vector<SourceRecord> catalogue = ReadCatalogue();
    ASSERT_EQ(catalogue.size(), 2u);
    EXPECT_EQ(catalogue[0], MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes"));
    EXPECT_EQ(catalogue[1], stray) << "the stray value is left as it was";
    ExpectBuiltInOrNothing(files);
}

}  // namespace
