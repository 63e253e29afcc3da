#include "dialogs/dialog_rules.h"

#include <stdio.h>
#include <string.h>

#include "cookies/index_result.h"

const char kNoActiveCookiesMessage[] = "There are no active cookies.";
const char kNoNameMessage[] = "Please enter a name for the Cookie File.";
const char kNoPathMessage[] = "Please enter the path to the Cookie File.";
const char kMissingCookieFileMessage[] = "Cookie File does not exist!";
const char kSettingsNotSavedMessage[] = "The settings could not be saved.";
const char kPathNotStorableMessage[] =
    "The path of this file cannot be stored: it has letters outside the system's code page, and "
    "the drive gives the file no short name without them. Rename the file or its folder, or move "
    "it to a folder with a plain name.";

const char kAddCookieFileCaption[] = "Merrowind - Add Cookie File";
const char kEditCookieFileCaption[] = "Merrowind - Edit Cookie File";

static const char kSettingsTitleFormat[] = "Merrowind - Settings (%lu active)";
static const char kIndexFailureFormat[] = "Failed to create index file (%lu).";

const char* CookieFileCaption(size_t nameLength)
{
    return nameLength > 0 ? kEditCookieFileCaption : kAddCookieFileCaption;
}

void FormatSettingsTitle(uint32_t activeTotal, char (&title)[kSettingsTitleSize])
{
    snprintf(title, sizeof title, kSettingsTitleFormat, static_cast<unsigned long>(activeTotal));
}

void FormatIndexFailure(uint32_t code, char (&text)[kIndexFailureSize])
{
    snprintf(text, sizeof text, kIndexFailureFormat, static_cast<unsigned long>(code));
}

bool IndexResultNeedsMessage(uint32_t code)
{
    return code != kIndexOk && code != kIndexCancelled;
}

void FormatCount(uint32_t count, char (&text)[kCountTextSize])
{
    snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(count));
}

uint32_t AddActiveCount(uint32_t total, int32_t active, uint32_t count)
{
    return active != 0 ? total + count : total;
}

unsigned StateImageForActive(int32_t active)
{
    return active != 0 ? 0x2000u : 0x1000u;
}

int32_t ActiveFromState(unsigned state, int32_t current)
{
    unsigned image = (state & kStateImageMask) >> 12;
    if (image == 2) return 1;
    if (image == 1) return 0;
    return current;
}

const char* FirstEntryProblem(size_t nameLength, size_t pathLength,
                              bool (*pathExists)(const char* path), const char* path)
{
    if (nameLength == 0) return kNoNameMessage;
    if (pathLength == 0) return kNoPathMessage;
    if (!pathExists(path)) return kMissingCookieFileMessage;
    return nullptr;
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

size_t TrimPastedPath(char* path)
{
    size_t first = 0;
    size_t end = strlen(path);
    while (first < end && IsBlank(path[first])) ++first;
    while (end > first && IsBlank(path[end - 1])) --end;
    if (end - first >= 2 && path[first] == '"' && path[end - 1] == '"') {
        ++first;
        --end;
    }
    size_t length = end - first;
    memmove(path, path + first, length);
    path[length] = '\0';
    return length;
}
