// Every cookie file of Debian's fortunes package, indexed and read back, each
// fortune compared with what an independent split of the file finds; and
// the terminal codes of a Chinese one left out of what the window shows.
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/readers.h"
#include "cookies/indexer.h"
#include "core/text_encoding.h"
#include "tests/support/cookie_split.h"
#include "tests/support/win32_fixtures.h"
#include "tests/win32/captured_delivery.h"
#include "window/terminal_codes.h"

// The corpus folder as the build was told it; a Unix path is reached through
// Wine's drive Z:.
static std::string CorpusFolder()
{
    std::string folder = MERROWIND_FORTUNE_CORPUS;
    if (!folder.empty() && folder[0] == '/') folder = "Z:" + folder;
    for (char& c : folder)
        if (c == '/') c = '\\';
    return folder;
}

// The cookie files: every file without an extension (not the .dat tables
// nor the .u8 links).
static std::vector<std::string> CookieFiles()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((CorpusFolder() + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (name.find('.') != std::string::npos) continue;
        names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

class CookieCorpus : public ScratchTest {};

TEST_F(CookieCorpus, EveryDebianCookieFileIndexesAndReadsBack)
{
    std::vector<std::string> names = CookieFiles();
    ASSERT_GE(names.size(), 30u) << "the cookie files of the fortunes package in " << CorpusFolder();
    size_t total = 0;
    for (const std::string& name : names) {
        std::string cookiePath = CorpusFolder() + "\\" + name;
        std::string bytes = ReadWholeFile(cookiePath);
        ASSERT_FALSE(bytes.empty()) << cookiePath;
        std::vector<SplitFortune> split = SplitCookieText(bytes);

        SourceRecord record = MakeRecord(1, kSourceCookieFile, 0, name.c_str(), cookiePath.c_str(),
                                         folder_.File(name + ".idx").c_str());
        IndexJob job;
        job.record = &record;
        job.thread = nullptr;
        job.progress.store(0);
        job.cancel.store(0);
        ASSERT_EQ(IndexCookieFile(&job), kIndexOk) << name;
        ASSERT_EQ(record.count, split.size()) << name;
        ASSERT_GE(job.progress.load(), 99) << name << ": progress at the end";

        std::string index = ReadWholeFile(record.indexPath);
        ASSERT_EQ(index.size(), 4 * split.size()) << name;
        for (size_t k = 0; k < split.size(); ++k) {
            uint32_t entry;
            memcpy(&entry, index.data() + 4 * k, 4);
            ASSERT_EQ(entry, split[k].offset) << name << ", entry " << k;

            ResetDeliveries();
            ASSERT_EQ(ReadCookieFortune(GetModuleHandleA(nullptr), static_cast<uint32_t>(k), &record), 1);
            ASSERT_EQ(g_deliveries.size(), 1u);
            // A fortune longer than the buffer is cut between two characters
            // (the Chinese file has such fortunes in UTF-8).
            size_t length = split[k].length < 4099 ? split[k].length
                                                   : WholeCharactersLength(bytes.data() + split[k].offset, 4099, nullptr);
            ASSERT_EQ(g_deliveries[0].text, bytes.substr(split[k].offset, length)) << name << ", fortune " << k;
        }
        total += split.size();
    }
    EXPECT_GT(total, 10000u) << "fortunes read back";
}

// Read through the real reader, every fortune of Debian's Chinese cookie file
// comes without its colour codes, and with nothing else taken.
TEST_F(CookieCorpus, TheChineseFileShowsWithoutItsColourCodes)
{
    std::string cookiePath = CorpusFolder() + "\\chinese";
    SourceRecord record = MakeRecord(1, kSourceCookieFile, 0, "chinese", cookiePath.c_str(),
                                     folder_.File("chinese.idx").c_str());
    IndexJob job{};
    job.record = &record;
    ASSERT_EQ(IndexCookieFile(&job), kIndexOk) << cookiePath;
    ASSERT_GT(record.count, 5000u) << "the fortunes of Debian's fortunes-zh";
    const std::regex sequence("\x1B\\[[0-?]*[ -/]*([@-~]|(?=\x1B)|$)");
    int coloured = 0;
    for (uint32_t k = 0; k < record.count; ++k) {
        ResetDeliveries();
        ASSERT_EQ(ReadCookieFortune(GetModuleHandleA(nullptr), k, &record), 1);
        ASSERT_EQ(g_deliveries.size(), 1u);
        std::string text = g_deliveries[0].text;
        DropTerminalCodes(&text[0]);
        std::string shown = text.c_str();
        ASSERT_EQ(shown, std::regex_replace(g_deliveries[0].text, sequence, "")) << "fortune " << k;
        ASSERT_EQ(shown.find('\x1B'), std::string::npos) << "fortune " << k;
        if (shown.size() < g_deliveries[0].text.size()) ++coloured;
    }
    EXPECT_GT(coloured, 1000) << "fortunes whose codes were left out";
}
