// Started through the shell by the link tests: writes how it was asked to
// show itself into "shown.txt" in its current folder, then ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    char text[64];
    int length = wsprintfA(text, "%lu %u", startup.dwFlags & STARTF_USESHOWWINDOW ? 1ul : 0ul,
                           static_cast<unsigned>(startup.wShowWindow));
    HANDLE file = CreateFileA("shown.txt.part", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
    // Appears whole, so a reader never sees half of it.
    MoveFileA("shown.txt.part", "shown.txt");
    return 0;
}
