#include "tests/gui/source_dialogs.h"

#include <shlobj.h>

#include <algorithm>

#include "cookies/indexer.h"

static const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

void SourceDialogTest::SetUp()
{
    ScratchTest::SetUp();
    std::string appData = folder_.File("AppData");
    ASSERT_TRUE(CreateDirectoryA(appData.c_str(), nullptr)) << "error " << GetLastError();
    SetRawValue(kShellFoldersKey, "AppData", REG_EXPAND_SZ, appData + std::string(1, '\0'));
    char path[MAX_PATH] = {};
    ASSERT_GE(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path), 0);
    ASSERT_EQ(lstrcmpiA(path, appData.c_str()), 0)
        << "the application-data folder should follow the scratch key: " << path;
}

std::string SourceDialogTest::IndexFolder() const
{
    return folder_.File("AppData\\Tolvane Software\\Merrowind");
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> SourceDialogTest::IndexFiles() const
{
    return FilesIn(IndexFolder());
}

std::string SourceDialogTest::WriteCookieFile(const std::string& name, int fortunes) const
{
    std::string text;
    for (int i = 0; i < fortunes; ++i) {
        if (i > 0) text += "%\n";
        text += "Fortune number " + std::to_string(i) + ".\n";
    }
    folder_.Write(name, text);
    return folder_.File(name);
}

unsigned SourceDialogTest::DirectIndexResult(const SourceRecord& record) const
{
    SourceRecord copy = record;
    SetField(copy.indexPath, sizeof copy.indexPath, folder_.File("probe.idx").c_str());
    IndexJob job{};
    job.record = &copy;
    unsigned result = IndexCookieFile(&job);
    DeleteFileA(copy.indexPath);
    return result;
}
