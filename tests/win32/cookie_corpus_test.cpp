// Every cookie file of Debian's cookie packages, indexed and read back, each
// fortune compared with what an independent split of the file finds.
#include <iterator>
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

// The cookie files of the packages the setup installs, by name, so that the
// result does not hang on whatever else a machine holds: Debian's English
// fortunes, the German ones in their folder and the Chinese ones (UTF-8,
// with fortunes longer than the reader's buffer).
static std::vector<std::string> CookieFiles()
{
    static const char* const kEnglish[] = {"art", "ascii-art", "computers", "cookie", "debian",
        "definitions", "disclaimer", "drugs", "education", "ethnic", "food", "fortunes", "goedel",
        "humorists", "kids", "knghtbrd", "law", "linux", "linuxcookie", "literature", "love", "magic",
        "medicine", "men-women", "miscellaneous", "news", "paradoxum", "people", "perl", "pets",
        "platitudes", "politics", "pratchett", "riddles", "science", "songs-poems", "sports",
        "startrek", "tao", "translate-me", "wisdom", "work", "zippy"};
    static const char* const kChinese[] = {"chinese", "song100", "tang300"};
    static const char* const kGerman[] = {"anekdoten", "asciiart", "bahnhof", "beilagen", "brot",
        "computer", "debian", "dessert", "doppelsinnig", "elefanten", "fussball", "gedichte",
        "hauptgericht", "holenlassen", "huhn", "infodrom", "kalt", "kinderzitate", "kuchen",
        "letzteworte", "lieberals", "linuxtag", "loewe", "mathematiker", "ms", "murphy", "namen",
        "plaetzchen", "quiz", "regeln", "salat", "sauce", "sicherheitshinweise", "sprichworte",
        "sprichwortev", "sprueche", "stilblueten", "suppe", "tips", "translations", "unfug",
        "vornamen", "vorspeise", "warmduscher", "witze", "woerterbuch", "wusstensie", "zitate"};
    std::vector<std::string> names(std::begin(kEnglish), std::end(kEnglish));
    names.insert(names.end(), std::begin(kChinese), std::end(kChinese));
    for (const char* german : kGerman) names.push_back(std::string("de\\") + german);
    return names;
}

// What the reader delivers of a fortune: at most 4099 bytes, and where that
// cut falls inside a UTF-8 character, the character goes whole.
static size_t DeliveredLength(const std::string& bytes, const SplitFortune& fortune)
{
    const size_t limit = 4099;
    if (fortune.length <= limit) return fortune.length;
    size_t start = limit;
    while (start > limit - 4 && (static_cast<unsigned char>(bytes[fortune.offset + start]) & 0xC0) == 0x80)
        --start;
    if (start < limit && static_cast<unsigned char>(bytes[fortune.offset + start]) >= 0xC0) return start;
    return limit;
}

class CookieCorpus : public ScratchTest {};

TEST_F(CookieCorpus, EveryDebianCookieFileIndexesAndReadsBack)
{
    std::vector<std::string> names = CookieFiles();
    size_t total = 0;
    for (const std::string& name : names) {
        std::string cookiePath = CorpusFolder() + "\\" + name;
        std::string bytes = ReadWholeFile(cookiePath);
        ASSERT_FALSE(bytes.empty()) << cookiePath;
        std::vector<SplitFortune> split = SplitCookieText(bytes);

        std::string indexName = name;
        for (char& c : indexName)
            if (c == '\\') c = '-';
        SourceRecord record = MakeRecord(1, kSourceCookieFile, 0, name.c_str(), cookiePath.c_str(),
                                         folder_.File(indexName + ".idx").c_str());
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
            ASSERT_EQ(g_deliveries[0].text, bytes.substr(split[k].offset, DeliveredLength(bytes, split[k])))
                << name << ", fortune " << k;
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
