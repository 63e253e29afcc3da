// Test fixtures for Win32 behaviour: every test runs with HKEY_CURRENT_USER
// redirected to a fresh scratch key and with a temporary folder of its own.
#ifndef MERROWIND_TESTS_WIN32_FIXTURES_H
#define MERROWIND_TESTS_WIN32_FIXTURES_H

#include <windows.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/source_record.h"

// A folder under the temp directory, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    void Write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// The names in a folder, files and folders, "." and ".." left out.
std::set<std::string> FolderNames(const std::string& folder);
// Zero when the file cannot be read.
FILETIME LastWriteTime(const std::string& path);
void SetLastWriteTime(const std::string& path, FILETIME time);
void DeleteFolderTree(const std::string& path);

// Holds a file open for writing for as long as it lives, as an editor holds
// the file it shows: kEditorHold shares reading only (Word, Excel); kDeleteHold
// also has delete access and shares everything (editors that save by
// renaming). Other opens of the file then succeed only when they share
// writing, and for kDeleteHold deletion too.
enum FileHold { kEditorHold, kDeleteHold };
class HeldForWriting {
public:
    HeldForWriting(const std::string& path, FileHold hold);
    ~HeldForWriting();
    HeldForWriting(const HeldForWriting&) = delete;
    HeldForWriting& operator=(const HeldForWriting&) = delete;
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};
// Whether a read that shares reading only is refused while the hold lasts:
// the trap the hold stands for is there on this platform.
bool HoldLocksOutPlainReaders(const std::string& path);

// One registry value as stored: its name, type and bytes.
struct RegistryValue {
    std::string name;
    DWORD type;
    std::string data;
    bool operator==(const RegistryValue& o) const
    {
        return name == o.name && type == o.type && data == o.data;
    }
};

// Shows the type, the size and the bytes (the first ones and a checksum).
void PrintTo(const RegistryValue& value, std::ostream* out);

// All values of HKCU\<key>, sorted by name; empty when the key is missing.
// The round's state (core/draw_store.h) is left out: every draw advances
// it, and what these snapshots compare is the catalogue and the options.
std::vector<RegistryValue> SnapshotKey(const char* key);
void SetRawValue(const char* key, const char* name, DWORD type, const std::string& data);
void SetDwordValue(const char* key, const char* name, DWORD value);
// The four values of the last "Fortune.txt" scan beside the catalogue: the
// count, the built-in switch and the file's last-write time.
void SetLegacyScanValues(DWORD size, DWORD replace, DWORD lastLow, DWORD lastHigh);
bool GetDwordValue(const char* key, const char* name, DWORD* value);
// A DWORD value for EXPECT_EQ: -1 when it is missing or no 4-byte DWORD.
long long StoredDword(const char* key, const char* name);
bool ValueExists(const char* key, const char* name);
void DeleteKeyTree(HKEY root, const char* key);
// Replaces the key's access list with one in SDDL form ("D:P(A;;KR;;;WD)":
// everyone may read only; "D:P(A;;KA;;;WD)": everyone may do everything).
void SetKeyDacl(HKEY key, const char* sddl);

// The SID of the user the test runs as ("S-1-5-..."); empty when unknown.
std::string CurrentUserSid();

// A record with zeroed padding and the given fields.
SourceRecord MakeRecord(int active, int kind, uint32_t count, const char* name,
                        const char* cookiePath = "", const char* indexPath = "");
// The catalogue as stored, read record by record until the first gap.
std::vector<SourceRecord> ReadCatalogue();
void WriteCatalogue(const std::vector<SourceRecord>& records);
// Records compare byte for byte, padding included, and print field by field,
// so that EXPECT_EQ on two records shows where they differ.
bool operator==(const SourceRecord& a, const SourceRecord& b);
void PrintTo(const SourceRecord& record, std::ostream* out);

// Redirects HKEY_CURRENT_USER to a scratch key for the length of one test, and
// makes the test's temporary folder the current directory.
class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    TempFolder folder_;

private:
    std::string scratchKey_;
    HKEY scratch_ = nullptr;
    char previousDirectory_[MAX_PATH] = {};
};

#endif
