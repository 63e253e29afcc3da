#include "app/delivery.h"

#include "app/command_line.h"
#include "res/resource_ids.h"
#include "window/fortune_window.h"

// Writes the text into the named file. Only a write of every byte counts as
// delivered; anything less falls back to the window.
static int WriteFortuneFile(const char* fileName, const char* text)
{
    HANDLE file = CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD length = static_cast<DWORD>(lstrlenA(text));
    DWORD written = 0;
    BOOL ok = WriteFile(file, text, length, &written, nullptr);
    CloseHandle(file);
    return (ok && written == length) ? 1 : 0;
}

int DeliverFortune(HINSTANCE instance, char* text)
{
    // The name is taken afresh each time, from the whole command line.
    char fileName[kOutputNameSize];
    if (ExtractOutputFileName(GetCommandLineA(), fileName) && WriteFortuneFile(fileName, text))
        return 1;
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_FORTUNE), nullptr,
                                            FortuneDialogProc, reinterpret_cast<LPARAM>(text)));
}
