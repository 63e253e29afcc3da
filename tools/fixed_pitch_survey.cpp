// Prints, for each cookie file named on the command line, how many of its
// fortunes the fixed-pitch rule takes; with -s N, also N samples of each
// side. Not a test: it shows where the rule's line falls on real files.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "window/fixed_pitch.h"

static std::vector<std::string> Fortunes(const char* path)
{
    std::vector<std::string> fortunes;
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return fortunes;
    std::string current;
    char line[8192];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        if (line[0] == '%' && (line[1] == '\n' || line[1] == '\r' || line[1] == '\0')) {
            if (!current.empty()) fortunes.push_back(current);
            current.clear();
        } else {
            current += line;
        }
    }
    if (!current.empty()) fortunes.push_back(current);
    std::fclose(file);
    return fortunes;
}

int main(int argc, char** argv)
{
    int samples = 0, first = 1;
    if (argc > 2 && std::strcmp(argv[1], "-s") == 0) {
        samples = std::atoi(argv[2]);
        first = 3;
    }
    int allTaken = 0, allFortunes = 0;
    for (int a = first; a < argc; ++a) {
        std::vector<std::string> fortunes = Fortunes(argv[a]);
        int taken = 0, shownIn = 0, shownOut = 0;
        for (const std::string& fortune : fortunes) {
            int column = IsColumnLaidOut(fortune.c_str());
            taken += column;
            int& shown = column ? shownIn : shownOut;
            if (shown < samples && (std::rand() % 8) == 0) {
                ++shown;
                std::printf("---- %s %s\n%s", column ? "FIXED" : "prose", argv[a], fortune.c_str());
            }
        }
        std::printf("==== %-40s %5d of %5d\n", argv[a], taken, static_cast<int>(fortunes.size()));
        allTaken += taken;
        allFortunes += static_cast<int>(fortunes.size());
    }
    std::printf("==== %-40s %5d of %5d\n", "all", allTaken, allFortunes);
    return 0;
}
