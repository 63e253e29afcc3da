#include "app/command_line.h"

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
