#include "tests/support/process.h"

#include <vector>

#include "tests/support/win32_fixtures.h"

std::string BuildFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, n);
    size_t slash = full.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : full.substr(0, slash);
}

ProcessResult RunCommandLine(const std::string& commandLine, const std::string& currentDirectory,
                             DWORD timeoutMs)
{
    ProcessResult result;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup, &process))
        return result;
    result.started = true;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        result.finished = true;
        GetExitCodeProcess(process.hProcess, &result.exitCode);
    } else {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 10000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

ProcessResult RunMerrowind(const std::string& arguments, const std::string& currentDirectory, DWORD timeoutMs)
{
    std::string commandLine = "\"" + BuildFolder() + "\\merrowind.exe\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    return RunCommandLine(commandLine, currentDirectory, timeoutMs);
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
