#include "cookies/index_location.h"

#include <shlobj.h>

#include "core/ansi_path.h"
#include "core/catalogue.h"
#include "core/product.h"
#include "core/system_dlls.h"
#include "cookies/indexer.h"

static_assert(kPathFieldSize == MAX_PATH, "a path field holds one Windows path");

static void CopyPath(char (&to)[MAX_PATH], const char (&from)[MAX_PATH])
{
    lstrcpynA(to, from, MAX_PATH);
}

// Appends one component (one of the program's own names) with a separator;
// 0 when the result would not fit the path limit (the path is then
// unchanged). Joined here rather than by shlwapi's PathAppendA, the one call
// the program made of it: every start, file mode too, would load shlwapi and
// shcore for it under Wine.
static int AppendComponent(char (&path)[MAX_PATH], const char* component)
{
    int length = lstrlenA(path);
    int separator = length > 0 && path[length - 1] != '\\' ? 1 : 0;
    if (length + separator + lstrlenA(component) >= MAX_PATH) return 0;
    if (separator) path[length++] = '\\';
    lstrcpynA(path + length, component, MAX_PATH - length);
    return 1;
}

// Appends a folder name and makes sure that folder exists.
static DWORD EnterFolder(char (&folder)[MAX_PATH], const char* name)
{
    if (!AppendComponent(folder, name)) return kIndexPathTooLong;
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return kIndexOk;
    if (CreateDirectoryA(folder, nullptr)) return kIndexOk;
    // Another process may have made it in the meantime.
    attributes = GetFileAttributesA(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return kIndexOk;
    return kIndexNoFolder;
}

static int CatalogueNamesIndex(const void*, const char* path)
{
    SourceRecord record;
    for (int i = 0; ReadSourceRecord(i, &record); ++i) {
        char indexPath[kPathFieldSize + 1];
        FieldString(record.indexPath, indexPath);
        if (lstrcmpiA(indexPath, path) == 0) return 1;
    }
    return 0;
}

const TakenIndexNames kCatalogueIndexNames = {CatalogueNamesIndex, nullptr};

// The application-data folder in ANSI letters that name it: a user name
// outside the ANSI code page comes as the folder's short form.
static int AppDataFolder(char (&folder)[MAX_PATH])
{
    wchar_t wide[MAX_PATH];
    if (FAILED(ShellFolderPath(CSIDL_APPDATA | CSIDL_FLAG_CREATE, SHGFP_TYPE_CURRENT, wide))) return 0;
    return AnsiPathFromWide(wide, folder);
}

DWORD ChooseIndexFile(char (&indexPath)[kPathFieldSize], uint32_t limit, const TakenIndexNames* taken)
{
    char folder[MAX_PATH];
    if (!AppDataFolder(folder)) return kIndexNoAppData;
    DWORD code = EnterFolder(folder, kMakerFolderName);
    if (code != kIndexOk) return code;
    code = EnterFolder(folder, kProgramFolderName);
    if (code != kIndexOk) return code;

    for (uint32_t number = 0;; ++number) {
        CopyPath(indexPath, folder);
        char name[32];
        wsprintfA(name, kIndexFileNameFormat, static_cast<int>(number));
        if (!AppendComponent(indexPath, name)) return kIndexPathTooLong;
        if (number >= limit) return kIndexNoFreeName;
        if (GetFileAttributesA(indexPath) != INVALID_FILE_ATTRIBUTES) continue;
        if (taken == nullptr || !taken->isTaken(taken->context, indexPath)) return kIndexOk;
    }
}

int ProgramFolderFile(const char* name, char (&path)[MAX_PATH], int create)
{
    if (!AppDataFolder(path)) return 0;
    const char* folders[2] = {kMakerFolderName, kProgramFolderName};
    for (const char* folder : folders) {
        if (create ? EnterFolder(path, folder) != kIndexOk : !AppendComponent(path, folder)) return 0;
    }
    return AppendComponent(path, name);
}
