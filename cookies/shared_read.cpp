#include "cookies/shared_read.h"

#include <fcntl.h>
#include <io.h>

HANDLE OpenSharedForReading(const char* path)
{
    return CreateFileA(path, GENERIC_READ, kShareEverything, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

FILE* OpenSharedText(const char* path)
{
    HANDLE file = OpenSharedForReading(path);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    // From here the descriptor owns the handle, and then the stream owns both.
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_TEXT);
    if (descriptor == -1) {
        CloseHandle(file);
        return nullptr;
    }
    FILE* stream = _fdopen(descriptor, "r");
    if (stream == nullptr) _close(descriptor);
    return stream;
}
