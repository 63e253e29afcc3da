// The real merrowind.exe against hostile state: malformed catalogue values,
// output-file arguments that cannot be written, and cookie files, index files
// and "Fortune.txt" of any shape. After each run the process must have ended
// with the exit code its case expects (0 when a fortune came out), the
// catalogue must hold exactly what the program's rules
// leave in it, no file may appear in the current folder but the output file,
// and none may be left in the application-data folder, where only the
// program's own folders may appear.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/catalogue.h"
#include "res/resource_ids.h"
#include "tests/support/app_data.h"
#include "tests/support/process.h"
#include "tests/support/win32_fixtures.h"

namespace {

std::string Bytes(const SourceRecord& record)
{
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

std::set<std::string> FolderNames(const std::string& folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

class BadInput : public ::testing::Test {
protected:
    void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey); }
    void TearDown() override { DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey); }

    // Runs with "out.txt" and answers any window; the run must end with the
    // given exit code.
    WindowedRun Run(const std::string& arguments = "out.txt", DWORD exitCode = 0)
    {
        WindowedRun run = RunMerrowindAnsweringWindows(arguments, folder_.Path(), IDC_FORTUNE_TEXT);
        EXPECT_TRUE(run.process.started);
        EXPECT_TRUE(run.process.finished) << "the program must end by itself once its windows are answered";
        EXPECT_EQ(run.process.exitCode, exitCode);
        return run;
    }

    // The output, when there is one, is a whole built-in fortune, and the
    // folder holds nothing else that the run made.
    void ExpectBuiltInOrNothing(const std::set<std::string>& before)
    {
        std::set<std::string> after = FolderNames(folder_.Path());
        if (after.count("out.txt") != 0 && before.count("out.txt") == 0) {
            std::string text = ReadWholeFile(folder_.File("out.txt"));
            EXPECT_TRUE(IsBuiltInText(text)) << "output is not a built-in fortune: [" << text.substr(0, 80) << "]";
            after.erase("out.txt");
        }
        EXPECT_TRUE(after == before) << "files appeared in the current folder";
    }

    TempFolder folder_;
};

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
        EXPECT_TRUE(SnapshotKey(CatalogueKey) == before) << "the catalogue must stay byte-identical";
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
    EXPECT_TRUE(SnapshotKey(CatalogueKey) == before);
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
    EXPECT_TRUE(SameRecord(catalogue[0], MakeRecord(1, kSourceBuiltIn, 4297, "Internal Fortunes")));
    EXPECT_TRUE(SameRecord(catalogue[1], stray)) << "the stray value is left as it was";
    ExpectBuiltInOrNothing(files);
}

// Output files that cannot be written: the fortune is shown instead, and the
// run still ends with 0 once the window is answered.
TEST_F(BadInput, UnwritableOutputShowsTheWindowInstead)
{
    CreateDirectoryA(folder_.File("folder").c_str(), nullptr);
    folder_.Write("readonly.txt", "keep me");
    SetFileAttributesA(folder_.File("readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    struct Case {
        const char* what;
        std::string argument;
    } cases[] = {
        {"a folder", "folder"},
        {"a missing folder", "missing\\out.txt"},
        {"a read-only file", "readonly.txt"},
    };
    // Wine run by root writes a read-only file as Windows never would; the
    // case means something only where the platform refuses the write.
    HANDLE probe = CreateFileA(folder_.File("readonly.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    bool readOnlyHolds = probe == INVALID_HANDLE_VALUE;
    if (!readOnlyHolds) CloseHandle(probe);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.argument == "readonly.txt" && !readOnlyHolds) {
            printf("note: this platform lets read-only files be written; that case is not checked\n");
            continue;
        }
        DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
        std::set<std::string> files = FolderNames(folder_.Path());
        WindowedRun run = Run(c.argument);
        EXPECT_EQ(run.windowsAnswered, 1) << "one fortune window instead of the file";
        EXPECT_EQ(run.firstCaption, "Merrowind");
        EXPECT_FALSE(run.firstText.empty()) << "the window shows the fortune";
        EXPECT_TRUE(FolderNames(folder_.Path()) == files) << "nothing was created";
    }
    if (readOnlyHolds) {
        EXPECT_EQ(ReadWholeFile(folder_.File("readonly.txt")), "keep me");
    }
    EXPECT_TRUE(FolderNames(folder_.File("folder")).empty());
    SetFileAttributesA(folder_.File("readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(BadInput, DeviceNameWritesToTheDeviceOnly)
{
    std::set<std::string> files = FolderNames(folder_.Path());
    WindowedRun run = Run("NUL");
    EXPECT_EQ(run.windowsAnswered, 0) << "the null device takes the fortune";
    EXPECT_TRUE(FolderNames(folder_.Path()) == files) << "no file named NUL appears";
}

TEST_F(BadInput, LongOutputNamesAreCutTo259CharactersOrShownInstead)
{
    // The name is a folder of 200 characters and a file in it; a name longer
    // than 259 characters is cut to its first 259.
    std::string folderName(200, 'd');
    ASSERT_TRUE(CreateDirectoryA(folder_.File(folderName).c_str(), nullptr));
    for (size_t length : {259u, 300u}) {
        SCOPED_TRACE(length);
        std::string argument = folderName + "\\" + std::string(length - folderName.size() - 1, 'f');
        std::string cut = argument.substr(0, 259);
        DeleteFileA(folder_.File(cut).c_str());
        WindowedRun run = Run(argument);
        std::set<std::string> inside = FolderNames(folder_.File(folderName));
        if (run.windowsAnswered == 0) {
            ASSERT_EQ(inside.size(), 1u) << "exactly the cut name is written";
            EXPECT_EQ(*inside.begin(), cut.substr(folderName.size() + 1));
            // The whole path is longer than MAX_PATH: read it as the program
            // wrote it, relative to the folder.
            char previous[MAX_PATH];
            GetCurrentDirectoryA(MAX_PATH, previous);
            SetCurrentDirectoryA(folder_.Path().c_str());
            std::string text = ReadWholeFile(cut);
            DeleteFileA(cut.c_str());
            SetCurrentDirectoryA(previous);
            EXPECT_TRUE(IsBuiltInText(text)) << "output of " << text.size() << " bytes: [" << text.substr(0, 60) << "]";
        } else {
            EXPECT_EQ(run.windowsAnswered, 1);
            EXPECT_TRUE(inside.empty()) << "a failed write leaves nothing behind";
        }
    }
}

// Hostile files. The expected results below come from the rules of the two
// file formats, worked out here on the test's own bytes.

std::string Entries(const std::vector<uint32_t>& offsets)
{
    std::string bytes;
    for (uint32_t offset : offsets)
        for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((offset >> shift) & 0xFF);
    return bytes;
}

// The index of a cookie file: entry 0 is 0; after a "%" that follows CR or LF
// the first byte that is neither CR nor LF begins the next fortune.
std::vector<uint32_t> IndexByTheRules(const std::string& bytes)
{
    enum { kInText, kLineStart, kAfterSeparator } state = kInText;
    std::vector<uint32_t> entries(1, 0);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bool lineBreak = bytes[i] == '\r' || bytes[i] == '\n';
        if (state == kInText) {
            if (lineBreak) state = kLineStart;
        } else if (state == kLineStart) {
            if (bytes[i] == '%') state = kAfterSeparator;
            else if (!lineBreak) state = kInText;
        } else if (!lineBreak) {
            entries.push_back(static_cast<uint32_t>(i));
            state = kInText;
        }
    }
    return entries;
}

// What the output file gets for the fortune at offset: the bytes up to a "%"
// that follows CR or LF (the first byte is always text), at most 4099 of
// them, and of those what comes before the first NUL: the text is a C string.
std::string CookieFortuneByTheRules(const std::string& bytes, uint32_t offset)
{
    std::string text;
    char previous = 0;
    for (size_t i = offset; i < bytes.size() && text.size() < 4099; ++i) {
        if (bytes[i] == '%' && (previous == '\r' || previous == '\n')) break;
        text += bytes[i];
        previous = bytes[i];
    }
    return text.substr(0, text.find('\0'));
}

// The pieces in which the runtime's text-mode line reader hands "Fortune.txt"
// over: Ctrl-Z ends the file, CR LF reads as LF, and a piece ends after an LF
// or after 4098 characters.
std::vector<std::string> TextModePieces(const std::string& raw)
{
    std::string text;
    for (size_t i = 0; i < raw.size() && raw[i] != '\x1A'; ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        text += raw[i];
    }
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : text) {
        piece += c;
        if (c == '\n' || piece.size() == 4098) {
            pieces.push_back(piece);
            piece.clear();
        }
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}

std::string CString(const std::string& bytes)
{
    return bytes.substr(0, bytes.find('\0'));
}

// Fortune lines are pieces longer than one character.
uint32_t LegacyCountByTheRules(const std::vector<std::string>& pieces)
{
    uint32_t count = 0;
    for (const std::string& piece : pieces)
        if (CString(piece).size() > 1) ++count;
    return count;
}

// Line r over the pieces that count, or the last of them when there are
// fewer; the escape of backslash and n becomes a space and a line feed.
std::string LegacyFortuneByTheRules(const std::vector<std::string>& pieces, uint32_t r)
{
    std::vector<std::string> counted;
    for (const std::string& piece : pieces)
        if (CString(piece).size() > 1) counted.push_back(CString(piece));
    if (counted.empty()) return std::string();
    std::string text = counted[std::min<size_t>(r, counted.size() - 1)];
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '\\' && text[i + 1] == 'n') {
            text[i] = ' ';
            text[i + 1] = '\n';
        }
    }
    return text;
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

std::string Listed(const std::set<std::string>& names)
{
    std::string listed;
    for (const std::string& name : names) listed += (listed.empty() ? "" : ", ") + name;
    return "{" + listed + "}";
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

FILETIME LastWriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    ZeroMemory(&data, sizeof data);
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

void ExpectRecord(const SourceRecord& actual, const SourceRecord& expected)
{
    EXPECT_EQ(actual.active, expected.active) << "active";
    EXPECT_EQ(actual.kind, expected.kind) << "kind";
    EXPECT_EQ(actual.count, expected.count) << "count";
    EXPECT_EQ(std::string(actual.name, FieldLength(actual.name, sizeof actual.name)), expected.name) << "name";
    EXPECT_EQ(std::string(actual.cookiePath, FieldLength(actual.cookiePath, sizeof actual.cookiePath)),
              expected.cookiePath)
        << "cookiePath";
    EXPECT_EQ(std::string(actual.indexPath, FieldLength(actual.indexPath, sizeof actual.indexPath)),
              expected.indexPath)
        << "indexPath";
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
    void RunExpecting(const std::vector<std::string>& possible, DWORD exitCode = 0)
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
                EXPECT_TRUE(std::find(possible.begin(), possible.end(), text) != possible.end())
                    << "out.txt holds " << Shown(text) << ", which is none of the " << possible.size()
                    << " possible texts, such as " << Shown(possible[0]);
            }
            after.erase("out.txt");
        }
        EXPECT_TRUE(after == before) << "the current folder holds " << Listed(after) << ", expected "
                                     << Listed(before) << " and out.txt";
        std::set<std::string> tree;
        CollectTree(appData_.Path(), "", &tree);
        tree.erase("Tolvane Software\\");
        tree.erase("Tolvane Software\\Merrowind\\");
        EXPECT_TRUE(tree.empty()) << "the application-data folder holds " << Listed(tree)
                                  << ", expected nothing but the program's own folders";
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
    std::string fortune;            // what position 1 writes
};

std::vector<CookieCase> CookieCases()
{
    std::mt19937 random(20261207);
    std::string binary = RandomBytes(random, 3000, std::string());
    std::vector<uint32_t> binaryEntries = IndexByTheRules(binary);
    std::string separators;
    for (int i = 0; i < 12; ++i) separators += "%\r\n";
    return {
        // Position 1 has no entry: the first fortune, here empty.
        {"an empty file", "", {0}, ""},
        {"random bytes with NULs", binary, binaryEntries,
         CookieFortuneByTheRules(binary, binaryEntries.size() > 1 ? binaryEntries[1] : 0)},
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
            if (state == kIndexPresent) data_.Write("cookies.idx", Entries(c.entries));
            // Only this source, with a count of 2: positions 0 and 1 are drawn.
            WriteCatalogue({MakeRecord(1, kSourceCookieFile, 2, "cookies", cookies.c_str(),
                                       state == kIndexUnnamed ? "" : index.c_str())});
            std::vector<RegistryValue> catalogue = SnapshotKey(CatalogueKey);

            RunExpecting({CookieFortuneByTheRules(c.bytes, 0), c.fortune});
            EXPECT_TRUE(SnapshotKey(CatalogueKey) == catalogue)
                << "a turn never writes the catalogue, not even a rebuilt count or index name";
            EXPECT_EQ(ReadWholeFile(cookies), c.bytes) << "the cookie file is only read";
            if (state == kIndexUnnamed) {
                EXPECT_EQ(FolderNames(data_.Path()), std::set<std::string>({"cookies.txt"}))
                    << "an index without a name is made under the application-data folder";
            } else {
                EXPECT_EQ(FolderNames(data_.Path()), std::set<std::string>({"cookies.idx", "cookies.txt"}));
                std::string written = ReadWholeFile(index);
                EXPECT_TRUE(written == Entries(c.entries))
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
        // Past the end there is nothing to read: an empty fortune.
        {"an entry at the end of the file", Entries({22, 22}), {""}},
        {"an entry past the end of the file", Entries({1000000, 1000000}), {""}},
        {"an entry of 2^31 - 1", Entries({0x7FFFFFFFu, 0x7FFFFFFFu}), {""}},
        // A distance of 2 GiB or more cannot be sought: the source fails, no
        // other is left, and the run ends with 2.
        {"an entry of 2^31", Entries({0x80000000u, 0x80000000u}), {}},
        {"an entry of 2^32 - 1", Entries({0xFFFFFFFFu, 0xFFFFFFFFu}), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
        data_.Write("cookies.idx", c.index);
        WriteCatalogue({MakeRecord(1, kSourceCookieFile, 2, "cookies", cookies.c_str(), index.c_str())});
        std::vector<RegistryValue> catalogue = SnapshotKey(CatalogueKey);

        RunExpecting(c.output, c.output.empty() ? 2 : 0);
        EXPECT_TRUE(SnapshotKey(CatalogueKey) == catalogue) << "a turn never writes the catalogue";
        EXPECT_TRUE(ReadWholeFile(index) == c.index) << "an existing index is only read, never rebuilt";
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
        ASSERT_TRUE(pieces.empty() || CString(pieces[0]).find("EXTRA") == std::string::npos)
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
            ExpectRecord(records[0], MakeRecord(0, kSourceBuiltIn, 4297, "Internal Fortunes"));
            ExpectRecord(records[1], MakeRecord(1, kSourceLegacyText, count, "Fortune.txt", "Fortune.txt"));
            std::vector<std::string> names;
            for (const RegistryValue& value : SnapshotKey(CatalogueKey)) names.push_back(value.name);
            EXPECT_EQ(names, std::vector<std::string>({"FReplace", "FSize", "LastHigh", "LastLow", "MWD00000",
                                                       "MWD00001"}));
            DWORD value = 0xDEADBEEF;
            EXPECT_TRUE(GetDwordValue(CatalogueKey, "FSize", &value) && value == count)
                << "FSize " << value << ", expected " << count;
            EXPECT_TRUE(GetDwordValue(CatalogueKey, "FReplace", &value) && value == 0)
                << "FReplace " << value << ", expected 0";
            EXPECT_TRUE(GetDwordValue(CatalogueKey, "LastLow", &value) && value == written.dwLowDateTime)
                << "LastLow " << value << ", expected the file's " << written.dwLowDateTime;
            EXPECT_TRUE(GetDwordValue(CatalogueKey, "LastHigh", &value) && value == written.dwHighDateTime)
                << "LastHigh " << value << ", expected the file's " << written.dwHighDateTime;
        }
        {
            SCOPED_TRACE("unchanged file whose record says 2 lines: line 0 or 1 is read");
            DeleteKeyTree(HKEY_CURRENT_USER, CatalogueKey);
            WriteCatalogue({MakeRecord(0, kSourceBuiltIn, 4297, "Internal Fortunes"),
                            MakeRecord(1, kSourceLegacyText, 2, "Fortune.txt", "Fortune.txt")});
            SetDwordValue(CatalogueKey, "FSize", 2);
            SetDwordValue(CatalogueKey, "FReplace", 0);
            SetDwordValue(CatalogueKey, "LastLow", written.dwLowDateTime);
            SetDwordValue(CatalogueKey, "LastHigh", written.dwHighDateTime);
            std::vector<RegistryValue> catalogue = SnapshotKey(CatalogueKey);
            RunExpecting({LegacyFortuneByTheRules(pieces, 0), LegacyFortuneByTheRules(pieces, 1)});
            EXPECT_TRUE(SnapshotKey(CatalogueKey) == catalogue) << "an unchanged file changes nothing";
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
    SetDwordValue(CatalogueKey, "FSize", 3);
    SetDwordValue(CatalogueKey, "FReplace", 1);
    SetDwordValue(CatalogueKey, "LastLow", written.dwLowDateTime);
    SetDwordValue(CatalogueKey, "LastHigh", written.dwHighDateTime);
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
    EXPECT_TRUE(SnapshotKey(CatalogueKey) == expected)
        << "expected the built-in record alone and FSize, FReplace, LastLow and LastHigh unchanged";
    EXPECT_EQ(ReadWholeFile(legacyPath), "one\ntwo\nthree\n");
}

}  // namespace
