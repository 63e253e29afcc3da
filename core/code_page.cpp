#include "core/code_page.h"

#include <windows.h>

static_assert(MAX_LEADBYTES == kLeadByteTableSize, "the table is CPINFO's LeadByte");

void GetAnsiLeadBytes(AnsiLeadBytes* lead)
{
    CPINFO info;
    ZeroMemory(lead, sizeof *lead);
    if (GetCPInfo(CP_ACP, &info)) CopyMemory(lead->ranges, info.LeadByte, sizeof lead->ranges);
}
