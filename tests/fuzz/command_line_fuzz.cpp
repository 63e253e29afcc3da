// Any command line: the extracted name stays inside its buffer, holds no
// quote, and is what the line holds after the program path once the quotes
// are taken out.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "app/command_line.h"
#include "tests/fuzz/check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string line(reinterpret_cast<const char*>(data), size);
    line = line.c_str();  // the process command line is a C string

    char name[kOutputNameSize + 16];
    memset(name, 0x5A, sizeof name);
    int found = ExtractOutputFileName(line.c_str(), *reinterpret_cast<char(*)[kOutputNameSize]>(name));
    for (size_t i = kOutputNameSize; i < sizeof name; ++i) FUZZ_CHECK(name[i] == 0x5A);

    size_t length = strnlen(name, kOutputNameSize);
    FUZZ_CHECK(length < kOutputNameSize);
    FUZZ_CHECK(found == (length > 0 ? 1 : 0));
    FUZZ_CHECK(memchr(name, '"', length) == nullptr);

    // Without quotes the rule is plain: the text between the first space and
    // the next one, cut to 259 characters.
    if (line.find('"') == std::string::npos) {
        std::string expected;
        size_t space = line.find(' ');
        if (space != std::string::npos) {
            size_t end = line.find(' ', space + 1);
            expected = line.substr(space + 1, end == std::string::npos ? std::string::npos : end - space - 1);
        }
        if (expected.size() > kOutputNameSize - 1) expected.resize(kOutputNameSize - 1);
        FUZZ_CHECK(expected == std::string(name, length));
    } else {
        // With quotes, the name is still a run of the unquoted line.
        std::string unquoted;
        for (char c : line)
            if (c != '"') unquoted += c;
        FUZZ_CHECK(unquoted.find(std::string(name, length)) != std::string::npos);
    }
    return 0;
}
