#include "app/command_line.h"

#include <string.h>

const char kUsageText[] =
    "Usage: merrowind [file]\n"
    "\n"
    "Without a file, shows one random fortune in a window.\n"
    "With a file, writes one random fortune into it (an existing file is replaced) and shows "
    "nothing; if the file cannot be written, the fortune is shown in the window instead.\n"
    "\n"
    "Exit codes:\n"
    "0: a fortune was written, or shown and its window closed\n"
    "1: nothing to draw from: no source switched on, or none that holds a fortune\n"
    "2: no source could be read\n"
    "3: the fortune could be neither written nor shown";

int ExtractOutputFileName(const char* commandLine, char (&name)[kOutputNameSize])
{
    enum Phase { kProgramPath, kArgument, kDone };
    int length = 0;
    name[0] = '\0';
    if (commandLine == nullptr) return 0;

    bool quoted = false;
    Phase phase = kProgramPath;
    for (const char* p = commandLine; *p != '\0' && phase != kDone; ++p) {
        char c = *p;
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (phase == kProgramPath) {
            if (c == ' ' && !quoted) phase = kArgument;
        } else if (c == ' ' && !quoted) {
            phase = kDone;
        } else if (length < kOutputNameSize - 1) {
            name[length++] = c;
        }
    }
    name[length] = '\0';
    return length > 0 ? 1 : 0;
}

int AsksForUsage(const char* commandLine)
{
    char name[kOutputNameSize];
    ExtractOutputFileName(commandLine, name);
    return strcmp(name, "/?") == 0 ? 1 : 0;
}
