// The real merrowind.exe against cookie files, index files and "Fortune.txt"
// of any shape. The expected results come from the tests' own reading of the
// two file formats (tests/support/cookie_split.h and legacy_rules.h). No file
// may appear in the current folder but the output file, and none may be left
// in the application-data folder, where only the program's own folders may
// appear.
#include <algorithm>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "tests/support/app_data.h"
#include "tests/support/bad_input.h"
#include "tests/support/cookie_split.h"
#include "tests/support/legacy_rules.h"

namespace {

// An index file holding these offsets.
std::string Entries(const std::vector<uint32_t>& offsets)
{
    std::string bytes;
    for (uint32_t offset : offsets)
        for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((offset >> shift) & 0xFF);
    return bytes;
}

// Bytes from a fixed seed, half of them those that the rules look at.
std::string RandomBytes(std::mt19937& random, size_t n, const std::string& excluded)
{
    static const char kTelling[] = {'\0', '\r', '\n', '%', '\\', 'n', '\x1A', '\xFF'};
    std::string bytes;
    while (bytes.size() < n) {
        uint32_t v = random();
        char c = (v & 1) ? kTelling[(v >> 1) % sizeof kTelling] : static_cast<char>((v >> 8) & 0xFF);
        if (excluded.find(c) == std::string::npos) bytes += c;
    }
    return bytes;
}

// Bytes as a message can show them.
std::string Shown(const std::string& bytes)
{
    std::string shown;
    for (size_t i = 0; i < bytes.size() && i < 120; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 32 && c < 127 && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        }
    }
    if (bytes.size() > 120) shown += "... (" + std::to_string(bytes.size()) + " bytes)";
    return "[" + shown + "]";
}

// Every entry under a folder, as paths relative to it; folders end in "\".
void CollectTree(const std::string& folder, const std::string& prefix, std::set<std::string>* tree)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree->insert(prefix + name + "\\");
            CollectTree(folder + "\\" + name, prefix + name + "\\", tree);
        } else {
            tree->insert(prefix + name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// The application-data folder points at a folder of the test's own while it
// runs, so that everything the program leaves there is seen. Cookie and index
// files live in a third folder, apart from the current one.
class BadFiles : public BadInput {
protected:
    void SetUp() override
    {
        BadInput::SetUp();
        savedAppData_ = SaveAppDataValue();
        RedirectAppData(appData_.Path());
    }
    void TearDown() override
    {
        RestoreAppDataValue(savedAppData_);
        BadInput::TearDown();
    }

    // Runs once with "out.txt" and checks what every run must leave: out.txt
    // holding one of the possible texts (none possible: no out.txt), nothing
    // else new in the current folder, and no file under the application-data
    // folder, where only the program's own folders may appear (no run here
    // stores an index name, so every index made there is deleted again).
    void RunExpecting(const std::vector<std::string>& possible, unsigned long exitCode = 0)
    {
        const std::string out = folder_.File("out.txt");
        DeleteFileA(out.c_str());
        std::set<std::string> before = FolderNames(folder_.Path());
        WindowedRun run = Run("out.txt", exitCode);
        EXPECT_EQ(run.windowsAnswered, 0) << "file mode shows no window while the file can be written";
        std::set<std::string> after = FolderNames(folder_.Path());
        if (possible.empty()) {
            EXPECT_FALSE(FileExists(out)) << "no fortune can be read, so nothing is written; out.txt holds "
                                          << Shown(ReadWholeFile(out));
        } else if (!FileExists(out)) {
            ADD_FAILURE() << "out.txt was not written; expected " << Shown(possible[0])
                          << (possible.size() > 1 ? " or another of the possible texts" : "");
        } else {
            std::string text = ReadWholeFile(out);
            if (possible.size() == 1) {
                EXPECT_EQ(text, possible[0]) << "out.txt holds " << Shown(text) << ", expected " << Shown(possible[0]);
            } else {
                EXPECT_TRUE(OneOf(text, possible))
                    << "out.txt holds " << Shown(text) << ", which is none of the " << possible.size()
                    << " possible texts, such as " << Shown(possible[0]);
            }
            after.erase("out.txt");
        }
        EXPECT_EQ(after, before) << "the current folder, out.txt left out";
        std::set<std::string> tree;
        CollectTree(appData_.Path(), "", &tree);
        tree.erase("Tolvane Software\\");
        tree.erase("Tolvane Software\\Merrowind\\");
        EXPECT_EQ(tree, std::set<std::string>())
            << "the application-data folder may hold nothing but the program's own folders";
        // The next run starts clean, so that a leftover is blamed on its own run.
        for (const std::string& name : tree) {
            if (name.back() != '\\') DeleteFileA((appData_.Path() + "\\" + name).c_str());
        }
    }

    TempFolder appData_;
    TempFolder data_;
    SavedAppDataValue savedAppData_;
};

struct CookieCase {
    const char* what;
    std::string bytes;
    std::vector<uint32_t> entries;  // the index the rules give
    std::string fortune;            // what position 1 writes (position 0 writes the first fortune)
};

std::vector<CookieCase> CookieCases()
{
    std::mt19937 random(20261207);
    std::string binary = RandomBytes(random, 3000, std::string());
    std::vector<uint32_t> binaryEntries = CookieIndexByTheRules(binary);
    std::string separators;
    for (int i = 0; i < 12; ++i) separators += "%\r\n";
    return {
        // Position 1 has no entry: the first fortune, here empty.
        {"an empty file", "", {0}, ""},
        {"random bytes with NULs", binary, binaryEntries,
         CString(CookieFortuneByTheRules(binary, binaryEntries.size() > 1 ? binaryEntries[1] : 0))},
        // One fortune, read whole, its "%" inside a line being text.
        {"no separator", "Alpha\r\n50% off\r\nOmega\r\n", {0}, "Alpha\r\n50% off\r\nOmega\r\n"},
        // Every other "%" line separates; the ones between are text.
        {"a separator on every line", separators, {0, 6, 12, 18, 24, 30}, "%\r\n"},
        {"fortunes longer than 4099 bytes",
         std::string(5000, 'A') + "\n%\n" + std::string(6000, 'B') + "\n%\nC\n", {0, 5003, 11006},
         std::string(4099, 'B')},
    };
}

TEST_F(BadFiles, CookieFilesAreIndexedAndReadByTheRules)
{
    const std::string cookies = data_.File("cookies.txt");
    const std::string index = data_.File("cookies.idx");
    enum IndexState { kIndexMissing, kIndexUnnamed, kIndexPresent };
    const char* const stateNames[] = {"index file missing", "no index name", "index file present"};
    for (const CookieCase& c : CookieCases()) {
        for (int state = kIndexMissing; state <= kIndexPresent; ++state) {
            SCOPED_TRACE(std::string(c.what) + ", " + stateNames[state]);
            DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
            DeleteFileA(index.c_str());
            data_.Write("cookies.txt", c.bytes);
            if (state == kIndexPresent) {
                data_.Write("cookies.idx", Entries(c.entries));
                SetLastWriteTime(index, LastWriteTime(cookies));
            }
            // Only this source, with a count of 2: positions 0 and 1 are drawn.
            WriteCatalogue({MakeRecord(1, kSourceCookieFile, 2, "cookies", cookies.c_str(),
                                       state == kIndexUnnamed ? "" : index.c_str())});

            RunExpecting({CString(CookieFortuneByTheRules(c.bytes, 0)), c.fortune});
            uint32_t count = static_cast<uint32_t>(c.entries.size());
            EXPECT_EQ(ReadCatalogue(), std::vector<SourceRecord>({MakeRecord(1, kSourceCookieFile, count, "cookies",
                                           cookies.c_str(), state == kIndexUnnamed ? "" : index.c_str())}))
                << "the count follows the index, and nothing else is stored (no index name)";
            EXPECT_EQ(ReadWholeFile(cookies), c.bytes) << "the cookie file is only read";
            if (state == kIndexUnnamed) {
                EXPECT_EQ(FolderNames(data_.Path()), std::set<std::string>({"cookies.txt"}))
                    << "an index without a name is made under the application-data folder";
            } else {
                EXPECT_EQ(FolderNames(data_.Path()), std::set<std::string>({"cookies.idx", "cookies.txt"}));
                std::string written = ReadWholeFile(index);
                EXPECT_EQ(written, Entries(c.entries))
                    << (state == kIndexMissing ? "the rebuilt index" : "the index, which is only read,")
                    << " holds " << written.size() / 4 << " entries, expected " << c.entries.size();
            }
        }
    }
}

TEST_F(BadFiles, IndexFilesOfAnyShapeGiveTheFortuneTheRulesSay)
{
    // Fortunes at 0, 9 and 17; 22 bytes in all.
    const std::string bytes = "Zero\r\n%\r\nOne\r\n%\r\nTwo\r\n";
    const std::string cookies = data_.File("cookies.txt");
    const std::string index = data_.File("cookies.idx");
    data_.Write("cookies.txt", bytes);
    struct Case {
        const char* what;
        std::string index;
        std::vector<std::string> output;  // empty: nothing is written
        bool rebuilt = false;
    } cases[] = {
        // Positions 0 and 1 are drawn, so entry 0 repeats entry 1 where the
        // case is about the entry's value.
        // An index that ends at or within entry 1 gives offset 0: the first
        // fortune. Half an entry is no offset (it would read as 9 here).
        {"an empty index", "", {"Zero\r\n"}},
        {"only entry 0", Entries({0}), {"Zero\r\n"}},
        {"two bytes", std::string(2, '\0'), {"Zero\r\n"}},
        {"entry 1 cut short", Entries({0}) + std::string("\x09\x00", 2), {"Zero\r\n"}},
        {"entry 2 cut short", Entries({9, 9}) + std::string("\x11\x00\x00", 3), {"One\r\n"}},
        // The first byte at the offset is text, whatever it is.
        {"an entry inside a fortune", Entries({2, 2}), {"ro\r\n"}},
        {"an entry on a separator", Entries({6, 6}), {"%\r\nOne\r\n"}},
        {"an entry on the last byte", Entries({21, 21}), {"\n"}},
        // A last entry at or past the end comes from a longer version of the
        // file: the index is built anew, whatever its time.
        {"an entry at the end of the file", Entries({22, 22}), {"Zero\r\n", "One\r\n"}, true},
        {"an entry past the end of the file", Entries({1000000, 1000000}), {"Zero\r\n", "One\r\n"}, true},
        {"an entry of 2^31 - 1", Entries({0x7FFFFFFFu, 0x7FFFFFFFu}), {"Zero\r\n", "One\r\n"}, true},
        // A distance of 2 GiB or more cannot be sought: the source fails, no
        // other is left, and the run ends with 2.
        {"an entry of 2^31", Entries({0x80000000u, 0x80000000u, 17}), {}},
        {"an entry of 2^32 - 1", Entries({0xFFFFFFFFu, 0xFFFFFFFFu, 17}), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
        data_.Write("cookies.idx", c.index);
        SetLastWriteTime(index, LastWriteTime(cookies));
        WriteCatalogue({MakeRecord(1, kSourceCookieFile, 2, "cookies", cookies.c_str(), index.c_str())});

        RunExpecting(c.output, c.output.empty() ? 2 : 0);
        // The count follows the index's whole entries, when it has any.
        uint32_t entries = c.rebuilt ? 3 : static_cast<uint32_t>(c.index.size() / 4);
        EXPECT_EQ(ReadCatalogue(), std::vector<SourceRecord>({MakeRecord(1, kSourceCookieFile, entries ? entries : 2,
                                                                         "cookies", cookies.c_str(), index.c_str())}));
        EXPECT_EQ(ReadWholeFile(index), c.rebuilt ? Entries({0, 9, 17}) : c.index)
            << "an index that fits its file is only read, never rebuilt";
        EXPECT_EQ(ReadWholeFile(cookies), bytes);
        EXPECT_EQ(FolderNames(data_.Path()), std::set<std::string>({"cookies.idx", "cookies.txt"}));
    }
}

struct LegacyCase {
    const char* what;
    std::string bytes;
};

std::vector<LegacyCase> LegacyCases()
{
    std::mt19937 random(7122026);
    // Two lines of any bytes but LF and Ctrl-Z, each opening with two
    // letters so that both count however early a NUL comes.
    std::string binary = "B0" + RandomBytes(random, 300, std::string("\n\x1A", 2)) + "\n" + "B1 binary " +
                         RandomBytes(random, 300, std::string("\n\x1A", 2)) + "\n";
    std::string digits;
    while (digits.size() < 100000) digits += "0123456789";
    return {
        {"random bytes with NULs", binary},
        // 24 pieces of 4098 characters and one of 1648 and its LF.
        {"a line of 100,000 characters", "first line\n" + digits + "\nlast line\n"},
        // A lone CR is no line break: the file is one line.
        {"only CR line breaks", "first\rsecond\rthird\r"},
        {"a Ctrl-Z in the middle", "zero\none\\ntwo\x1Athree\nfour\n"},
        // Lines that end at once as C strings: not counted, and not drawn:
        // positions 0 and 1 are "third" and "fourth".
        {"NULs opening the lines", std::string("\0first\n\0second\nthird\nfourth\n", 28)},
    };
}

TEST_F(BadFiles, FortuneTxtOfAnyShapeIsCountedAndReadByTheRules)
{
    const std::string legacyPath = folder_.File("Fortune.txt");
    for (const LegacyCase& c : LegacyCases()) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> pieces = TextModePieces(c.bytes);
        uint32_t count = LegacyCountByTheRules(pieces);
        ASSERT_EQ(LegacyReplaceByTheRules(pieces, 0), 0u)
            << "the test's first line must leave the built-in collection off";
        folder_.Write("Fortune.txt", c.bytes);
        FILETIME written = LastWriteTime(legacyPath);

        {
            SCOPED_TRACE("first start with the file: it is counted and joins the catalogue");
            DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
            // The built-in collection goes off, so only the file's lines 0 to
            // count - 1 can be drawn; with none there is nothing to draw (1).
            std::vector<std::string> possible;
            for (uint32_t r = 0; r < count; ++r) possible.push_back(LegacyFortuneByTheRules(pieces, r));
            RunExpecting(possible, possible.empty() ? 1 : 0);
            std::vector<SourceRecord> records = ReadCatalogue();
            ASSERT_EQ(records.size(), 2u) << "the built-in record and the file's record";
            EXPECT_EQ(records[0], MakeRecord(0, kSourceBuiltIn, 4297, "Internal Fortunes"));
            EXPECT_EQ(records[1], MakeRecord(1, kSourceLegacyText, count, "Fortune.txt", "Fortune.txt"));
            std::vector<std::string> names;
            for (const RegistryValue& value : SnapshotKey(CatalogueKey)) names.push_back(value.name);
            EXPECT_EQ(names, std::vector<std::string>({"FReplace", "FSize", "LastHigh", "LastLow", "MWD00000",
                                                       "MWD00001"}));
            EXPECT_EQ(StoredDword(CatalogueKey, "FSize"), count);
            EXPECT_EQ(StoredDword(CatalogueKey, "FReplace"), 0);
            EXPECT_EQ(StoredDword(CatalogueKey, "LastLow"), written.dwLowDateTime) << "the file's time";
            EXPECT_EQ(StoredDword(CatalogueKey, "LastHigh"), written.dwHighDateTime) << "the file's time";
        }
        {
            SCOPED_TRACE("unchanged file whose record says 2 lines: line 0 or 1 is read");
            DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
            WriteCatalogue({MakeRecord(0, kSourceBuiltIn, 4297, "Internal Fortunes"),
                            MakeRecord(1, kSourceLegacyText, 2, "Fortune.txt", "Fortune.txt")});
            SetLegacyScanValues(2, 0, written.dwLowDateTime, written.dwHighDateTime);
            std::vector<RegistryValue> catalogue = SnapshotKey(CatalogueKey);
            RunExpecting({LegacyFortuneByTheRules(pieces, 0), LegacyFortuneByTheRules(pieces, 1)});
            EXPECT_EQ(SnapshotKey(CatalogueKey), catalogue) << "an unchanged file changes nothing";
        }
        EXPECT_EQ(ReadWholeFile(legacyPath), c.bytes) << "Fortune.txt is only read";
        DeleteFileA(legacyPath.c_str());
    }
}

TEST_F(BadFiles, LockedFortuneTxtCountsAsAbsent)
{
    const std::string legacyPath = folder_.File("Fortune.txt");
    folder_.Write("Fortune.txt", "one\ntwo\nthree\n");
    FILETIME written = LastWriteTime(legacyPath);
    WriteCatalogue({MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes"),
                    MakeRecord(1, kSourceLegacyText, 3, "Fortune.txt", "Fortune.txt")});
    SetLegacyScanValues(3, 1, written.dwLowDateTime, written.dwHighDateTime);
    // Without the file's record, and with the four values as they were.
    std::vector<RegistryValue> expected = SnapshotKey(CatalogueKey);
    expected.erase(std::remove_if(expected.begin(), expected.end(),
                                  [](const RegistryValue& value) { return value.name == "MWD00001"; }),
                   expected.end());

    HANDLE lock = CreateFileA(legacyPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    HANDLE probe = CreateFileA(legacyPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
    EXPECT_EQ(probe, INVALID_HANDLE_VALUE) << "the file must be locked against a second reader";
    // The file counts as gone: its record leaves the catalogue, and only the
    // built-in collection is left to draw from.
    std::vector<std::string> builtIn(BuiltInTexts().begin(), BuiltInTexts().end());
    RunExpecting(builtIn);
    CloseHandle(lock);
    EXPECT_EQ(SnapshotKey(CatalogueKey), expected)
        << "expected the built-in record alone and FSize, FReplace, LastLow and LastHigh unchanged";
    EXPECT_EQ(ReadWholeFile(legacyPath), "one\ntwo\nthree\n");
}

}  // namespace
