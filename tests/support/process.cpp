#include "tests/support/process.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/win32_fixtures.h"

std::string BuildFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, n);
    size_t slash = full.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : full.substr(0, slash);
}

static bool StartProcess(const std::string& commandLine, const std::string& currentDirectory,
                         PROCESS_INFORMATION* process)
{
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup,
                          process) != FALSE;
}

static std::string MerrowindCommandLine(const std::string& arguments)
{
    std::string commandLine = "\"" + BuildFolder() + "\\merrowind.exe\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    return commandLine;
}

// Waits up to timeoutMs for the end, else kills the process; closes both handles.
static void FinishProcess(PROCESS_INFORMATION* process, DWORD timeoutMs, ProcessResult* result)
{
    if (WaitForSingleObject(process->hProcess, timeoutMs) == WAIT_OBJECT_0) {
        result->finished = true;
        GetExitCodeProcess(process->hProcess, &result->exitCode);
    } else {
        TerminateProcess(process->hProcess, 99);
        WaitForSingleObject(process->hProcess, 10000);
    }
    CloseHandle(process->hThread);
    CloseHandle(process->hProcess);
}

std::string RunInFileMode(const std::string& folder, DWORD exitCode)
{
    const std::string out = folder + "\\out.txt";
    DeleteFileA(out.c_str());
    ProcessResult run = RunMerrowind("out.txt", folder);
    EXPECT_TRUE(run.finished) << "no window may open in file mode";
    EXPECT_EQ(run.exitCode, exitCode) << "exit code of merrowind.exe";
    return ReadWholeFile(out);
}

ProcessResult RunCommandLine(const std::string& commandLine, const std::string& currentDirectory,
                             DWORD timeoutMs)
{
    ProcessResult result;
    PROCESS_INFORMATION process;
    if (!StartProcess(commandLine, currentDirectory, &process)) return result;
    result.started = true;
    FinishProcess(&process, timeoutMs, &result);
    return result;
}

namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisibleWindowOf(HWND window, LPARAM lParam)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

std::string WindowText(HWND window)
{
    char text[8192];
    int n = GetWindowTextA(window, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

}  // namespace

WindowedRun RunMerrowindAnsweringWindows(const std::string& arguments, const std::string& currentDirectory,
                                         int textId, DWORD timeoutMs)
{
    WindowedRun run;
    PROCESS_INFORMATION process;
    if (!StartProcess(MerrowindCommandLine(arguments), currentDirectory, &process)) return run;
    run.process.started = true;
    DWORD start = GetTickCount();
    HWND lastAnswered = nullptr;
    while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT && GetTickCount() - start < timeoutMs) {
        WindowSearch search = {process.dwProcessId, nullptr};
        EnumWindows(FindVisibleWindowOf, reinterpret_cast<LPARAM>(&search));
        // A window answered once may take a moment to go; answer only new ones.
        if (search.found == nullptr || search.found == lastAnswered) continue;
        if (run.windowsAnswered == 0) {
            run.firstCaption = WindowText(search.found);
            HWND text = GetDlgItem(search.found, textId);
            if (text != nullptr) run.firstText = WindowText(text);
        }
        ++run.windowsAnswered;
        lastAnswered = search.found;
        PostMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    FinishProcess(&process, 0, &run.process);
    return run;
}

ProcessResult RunMerrowind(const std::string& arguments, const std::string& currentDirectory, DWORD timeoutMs)
{
    return RunCommandLine(MerrowindCommandLine(arguments), currentDirectory, timeoutMs);
}

const std::vector<std::string>& BuiltInTexts()
{
    static std::vector<std::string> texts;
    if (texts.empty()) {
        std::string all = ReadWholeFile(BuildFolder() + "\\generated\\fortune_table.txt");
        size_t start = 0;
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i] == '\0') {
                texts.push_back(all.substr(start, i - start));
                start = i + 1;
            }
        }
    }
    return texts;
}

bool OneOf(const std::string& text, const std::vector<std::string>& texts)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool IsBuiltInText(const std::string& text)
{
    return OneOf(text, BuiltInTexts());
}
