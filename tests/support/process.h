// Starting the real merrowind.exe from a test, as a user would.
#ifndef MERROWIND_TESTS_PROCESS_H
#define MERROWIND_TESTS_PROCESS_H

#include <windows.h>

#include <string>
#include <vector>

// The folder that holds the running test program (and merrowind.exe).
std::string BuildFolder();

struct ProcessResult {
    bool started = false;
    bool finished = false;  // false: it was still running at the timeout and was killed
    DWORD exitCode = 0;
};

// Runs merrowind.exe with the given argument text (appended after one space,
// unless empty) in the given current directory.
ProcessResult RunMerrowind(const std::string& arguments, const std::string& currentDirectory,
                           DWORD timeoutMs = 60000);
// Runs merrowind.exe once in file mode, "out.txt" in the given folder, and
// returns what it wrote ("" for no file). The run must end by itself (no
// window may open in file mode) with the given exit code.
std::string RunInFileMode(const std::string& folder, DWORD exitCode = 0);

// Runs a whole command line as given.
ProcessResult RunCommandLine(const std::string& commandLine, const std::string& currentDirectory,
                             DWORD timeoutMs = 60000);

// Runs merrowind.exe like RunMerrowind, but answers every window it shows:
// each top-level window of the process gets an OK (IDOK) as a user would
// press it. Counts the windows so answered and keeps the first one's caption
// and the text of its control textId.
struct WindowedRun {
    ProcessResult process;
    int windowsAnswered = 0;
    std::string firstCaption;
    std::string firstText;
};
WindowedRun RunMerrowindAnsweringWindows(const std::string& arguments, const std::string& currentDirectory,
                                         int textId, DWORD timeoutMs = 60000);

// The built-in table as the build made it: 4297 texts, in id order.
const std::vector<std::string>& BuiltInTexts();
// Whether the text is byte for byte one of the texts, or of the built-in ones.
bool OneOf(const std::string& text, const std::vector<std::string>& texts);
bool IsBuiltInText(const std::string& text);

#endif
