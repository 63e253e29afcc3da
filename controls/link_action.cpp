#include "controls/link_action.h"

#include <string.h>

const char kHomeLinkLabel[] = "tolvane";
const char kSettingsLinkLabel[] = "settings";

LinkAction LinkActionForLabel(const char* label)
{
    if (strcmp(label, kHomeLinkLabel) == 0) return kLinkOpensHomePage;
    if (strcmp(label, kSettingsLinkLabel) == 0) return kLinkOpensSettings;
    return kLinkOpensLabel;
}
