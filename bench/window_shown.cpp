// How long two programs take from their start to a window on the screen:
// each is started from here, timed until it waits for input with a
// top-level window of its own visible, and that window is then closed. The two take turns, so that a
// slow moment of the machine hits both alike.
// Usage: bench_shown <runs> <program A> <program B>
// Prints the median of each in milliseconds and the ratio of A to B.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

struct ShownSearch {
    DWORD process;
    HWND found;
};

static BOOL CALLBACK FindShownWindow(HWND window, LPARAM lParam)
{
    ShownSearch* search = reinterpret_cast<ShownSearch*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

// Milliseconds from the start to the window shown; -1 when the program
// showed none within 10 seconds.
static double TimeToWindow(const char* program)
{
    char line[MAX_PATH + 3];
    wsprintfA(line, "\"%s\"", program);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    LARGE_INTEGER frequency, start, shown;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(program, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return -1.0;
    ShownSearch search = {started.dwProcessId, nullptr};
    // The program first waits for input once its window is up: waited for
    // without a look every millisecond, which would take the processor from
    // the program being timed. The look afterwards finds the window.
    WaitForInputIdle(started.hProcess, 10000);
    DWORD deadline = GetTickCount() + 10000;
    while (search.found == nullptr && GetTickCount() < deadline) {
        EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr && WaitForSingleObject(started.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    QueryPerformanceCounter(&shown);
    if (search.found != nullptr) PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(started.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    if (search.found == nullptr) return -1.0;
    return 1000.0 * static_cast<double>(shown.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

static int Compare(const void* a, const void* b)
{
    double x = *static_cast<const double*>(a), y = *static_cast<const double*>(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

static double Median(double* times, int n)
{
    qsort(times, static_cast<size_t>(n), sizeof *times, Compare);
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

int main(int argc, char** argv)
{
    int runs = argc == 4 ? atoi(argv[1]) : 0;
    if (runs < 1 || runs > 1000) {
        printf("usage: bench_shown <runs> <program A> <program B>\n");
        return 2;
    }
    double* times[2] = {static_cast<double*>(malloc(runs * sizeof(double))),
                        static_cast<double*>(malloc(runs * sizeof(double)))};
    if (times[0] == nullptr || times[1] == nullptr) return 1;
    for (int p = 0; p < 2; ++p) TimeToWindow(argv[2 + p]);  // warm the file cache
    for (int i = 0; i < runs; ++i)
        for (int p = 0; p < 2; ++p) {
            times[p][i] = TimeToWindow(argv[2 + p]);
            if (times[p][i] < 0) {
                printf("%s showed no window\n", argv[2 + p]);
                return 1;
            }
        }
    double a = Median(times[0], runs), b = Median(times[1], runs);
    printf("%.1f %.1f %.3f\n", a, b, a / b);
    return 0;
}
