#include "tests/support/win32_fixtures.h"

#include <sddl.h>

#include <shlwapi.h>

#include <algorithm>
#include <cstring>

#include "core/catalogue.h"
#include "core/catalogue_lock.h"
#include "core/draw_store.h"

static LONG g_folderSerial = 0;

TempFolder::TempFolder()
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    // Process ids repeat across runs, and a folder left behind by an earlier
    // run must not be taken over: only a folder this call created will do.
    char name[MAX_PATH];
    do {
        wsprintfA(name, "%smerrowind-test-%lu-%ld", base, GetCurrentProcessId(),
                  InterlockedIncrement(&g_folderSerial));
    } while (!CreateDirectoryA(name, nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    path_ = name;
}

TempFolder::~TempFolder()
{
    DeleteFolderTree(path_);
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const
{
    WriteWholeFile(File(name), bytes);
}

std::string ReadWholeFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create " << path;
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size()) << "short write to " << path;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::set<std::string> FolderNames(const std::string& folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

FILETIME LastWriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    ZeroMemory(&data, sizeof data);
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

void SetLastWriteTime(const std::string& path, FILETIME time)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time)) << "error " << GetLastError();
    CloseHandle(file);
}

void SetKeyDacl(HKEY key, const char* sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        << "expected a valid access list: " << sddl;
    LONG set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    ASSERT_EQ(set, ERROR_SUCCESS) << "expected the key's access list set to " << sddl;
}

HeldForWriting::HeldForWriting(const std::string& path, FileHold hold)
{
    DWORD access = hold == kDeleteHold ? GENERIC_WRITE | DELETE : GENERIC_WRITE;
    DWORD share = hold == kDeleteHold ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : FILE_SHARE_READ;
    handle_ = CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HeldForWriting::~HeldForWriting()
{
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

bool HoldLocksOutPlainReaders(const std::string& path)
{
    HANDLE plain = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (plain == INVALID_HANDLE_VALUE) return true;
    CloseHandle(plain);
    return false;
}

void DeleteFolderTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteFolderTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::vector<RegistryValue> SnapshotKey(const char* key)
{
    std::vector<RegistryValue> values;
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        static BYTE data[1 << 16];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(handle, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        if (std::string(name, nameSize) == kRoundStateValue) continue;
        values.push_back({std::string(name, nameSize), type,
                          std::string(reinterpret_cast<char*>(data), dataSize)});
    }
    RegCloseKey(handle);
    std::sort(values.begin(), values.end(),
              [](const RegistryValue& a, const RegistryValue& b) { return a.name < b.name; });
    return values;
}

void SetRawValue(const char* key, const char* name, DWORD type, const std::string& data)
{
    HKEY handle;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(handle, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(handle);
}

void SetDwordValue(const char* key, const char* name, DWORD value)
{
    SetRawValue(key, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4));
}

void SetLegacyScanValues(DWORD size, DWORD replace, DWORD lastLow, DWORD lastHigh)
{
    SetDwordValue(CatalogueKey, "FSize", size);
    SetDwordValue(CatalogueKey, "FReplace", replace);
    SetDwordValue(CatalogueKey, "LastLow", lastLow);
    SetDwordValue(CatalogueKey, "LastHigh", lastHigh);
}

bool GetDwordValue(const char* key, const char* name, DWORD* value)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    DWORD size = 4;
    DWORD type = 0;
    LONG status = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == 4;
}

long long StoredDword(const char* key, const char* name)
{
    DWORD value = 0;
    return GetDwordValue(key, name, &value) ? static_cast<long long>(value) : -1;
}

bool ValueExists(const char* key, const char* name)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    LONG status = RegQueryValueExA(handle, name, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

void DeleteKeyTree(HKEY root, const char* key)
{
    SHDeleteKeyA(root, key);
}

SourceRecord MakeRecord(int active, int kind, uint32_t count, const char* name, const char* cookiePath,
                        const char* indexPath)
{
    SourceRecord record;
    std::memset(&record, 0, sizeof record);
    record.active = active;
    record.kind = kind;
    record.count = count;
    SetField(record.name, sizeof record.name, name);
    SetField(record.cookiePath, sizeof record.cookiePath, cookiePath);
    SetField(record.indexPath, sizeof record.indexPath, indexPath);
    return record;
}

std::vector<SourceRecord> ReadCatalogue()
{
    std::vector<SourceRecord> records;
    for (int i = 0;; ++i) {
        SourceRecord record;
        std::memset(&record, 0, sizeof record);
        if (!ReadSourceRecord(i, &record)) break;
        records.push_back(record);
    }
    return records;
}

void WriteCatalogue(const std::vector<SourceRecord>& records)
{
    for (size_t i = 0; i < records.size(); ++i)
        ASSERT_EQ(WriteSourceRecord(static_cast<int>(i), &records[i]), 1) << "writing record " << i;
}

bool operator==(const SourceRecord& a, const SourceRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

static void PrintField(const char* label, const char* field, size_t size, std::ostream* out)
{
    *out << label << " \"" << std::string(field, FieldLength(field, size)) << "\"";
}

void PrintTo(const SourceRecord& record, std::ostream* out)
{
    *out << "{active " << record.active << ", kind " << record.kind << ", count " << record.count;
    PrintField(", name", record.name, sizeof record.name, out);
    PrintField(", cookiePath", record.cookiePath, sizeof record.cookiePath, out);
    PrintField(", indexPath", record.indexPath, sizeof record.indexPath, out);
    // Bytes that the fields above do not show: past a field's NUL, or a
    // field without one.
    SourceRecord shown = MakeRecord(record.active, record.kind, record.count, "");
    std::memcpy(shown.name, record.name, FieldLength(record.name, sizeof record.name));
    std::memcpy(shown.cookiePath, record.cookiePath, FieldLength(record.cookiePath, sizeof record.cookiePath));
    std::memcpy(shown.indexPath, record.indexPath, FieldLength(record.indexPath, sizeof record.indexPath));
    if (!(shown == record)) *out << ", with other bytes after the fields' ends";
    *out << "}";
}

void PrintTo(const RegistryValue& value, std::ostream* out)
{
    char hex[4];
    uint32_t checksum = 2166136261u;  // FNV-1a over all the bytes
    *out << value.name << " (type " << value.type << ", " << value.data.size() << " bytes:";
    for (size_t i = 0; i < value.data.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(value.data[i]);
        checksum = (checksum ^ byte) * 16777619u;
        if (i < 24) {
            wsprintfA(hex, " %02X", byte);
            *out << hex;
        }
    }
    if (value.data.size() > 24) {
        char sum[16];
        wsprintfA(sum, "%08lX", static_cast<unsigned long>(checksum));
        *out << " ... checksum " << sum;
    }
    *out << ")";
}

std::string CurrentUserSid()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "";
    alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    char* text = nullptr;
    std::string sid;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
        sid = text;
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}

static LONG g_keySerial = 0;

void ScratchTest::SetUp()
{
    char key[128];
    wsprintfA(key, "Software\\MerrowindTests\\%lu-%ld", GetCurrentProcessId(),
              InterlockedIncrement(&g_keySerial));
    scratchKey_ = key;
    // The catalogue is the scratch key's, and so is its lock: a test that
    // holds the lock, or the real program run beside the tests, holds up
    // nobody else.
    char lock[64];
    wsprintfA(lock, "Local\\MerrowindTests.%lu", GetCurrentProcessId());
    NameCatalogueLock(lock);
    DeleteKeyTree(HKEY_CURRENT_USER, key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &scratch_,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, scratch_), ERROR_SUCCESS);
    GetCurrentDirectoryA(MAX_PATH, previousDirectory_);
    SetCurrentDirectoryA(folder_.Path().c_str());
}

void ScratchTest::TearDown()
{
    SetCurrentDirectoryA(previousDirectory_);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (scratch_ != nullptr) RegCloseKey(scratch_);
    DeleteKeyTree(HKEY_CURRENT_USER, scratchKey_.c_str());
}
