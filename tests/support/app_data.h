// Points the current user's application-data folder somewhere else, the way
// the shell itself looks it up: through the "User Shell Folders" value in
// HKEY_CURRENT_USER. Inside a ScratchTest that key is the scratch key, so the
// redirection ends with the test.
#ifndef MERROWIND_TESTS_APP_DATA_H
#define MERROWIND_TESTS_APP_DATA_H

#include <string>

// Creates the folder if needed and makes it the application-data folder.
// Fails the test unless the shell then reports exactly that folder.
void RedirectAppData(const std::string& folder);

// The same for a folder named in letters of any script (UTF-16); fails the
// test unless the shell's wide call then reports exactly that folder.
void RedirectAppDataWide(const std::wstring& folder);

// Only sets the value, whatever it names.
void SetAppDataValue(const std::string& value);

// The folder the shell reports now ("" if it reports none).
std::string CurrentAppData();

// The "AppData" value as it stands. Tests that start the real program change
// the prefix's own value, not a scratch key's, so they put it back after.
struct SavedAppDataValue {
    bool present = false;
    unsigned long type = 0;
    std::string data;
};
SavedAppDataValue SaveAppDataValue();
void RestoreAppDataValue(const SavedAppDataValue& saved);

#endif
