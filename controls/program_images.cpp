#include "controls/program_images.h"

#include "core/system_dlls.h"
#include "res/resource_ids.h"

// Images loaded at a size of their own are kept for the life of the process,
// as shared ones are; a shared load would hand back the first size loaded,
// whatever size is asked for. A window seldom meets more than two DPIs.
struct LoadedImage {
    int id;
    int size;
    HANDLE image;
};
static LoadedImage g_images[16];

static HANDLE ImageAtSize(HINSTANCE module, int id, UINT type, int size)
{
    for (const LoadedImage& loaded : g_images)
        if (loaded.image != nullptr && loaded.id == id && loaded.size == size) return loaded.image;
    for (LoadedImage& slot : g_images) {
        if (slot.image == nullptr) {
            slot.image = LoadImageA(module, MAKEINTRESOURCEA(id), type, size, size, 0);
            slot.id = id;
            slot.size = size;
            return slot.image;
        }
    }
    // No room left: the image at the system's size, shared, rather than a
    // handle nobody frees.
    return LoadImageA(module, MAKEINTRESOURCEA(id), type, 0, 0, LR_DEFAULTSIZE | LR_SHARED);
}

void SetProgramIcons(HWND window, UINT dpi)
{
    HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    HANDLE big = ImageAtSize(module, IDI_PROGRAM, IMAGE_ICON, SystemMetricForDpi(SM_CXICON, dpi));
    HANDLE smallIcon = ImageAtSize(module, IDI_PROGRAM, IMAGE_ICON, SystemMetricForDpi(SM_CXSMICON, dpi));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

HCURSOR LinkCursor(HINSTANCE module, UINT dpi)
{
    int size = SystemMetricForDpi(SM_CXCURSOR, dpi);
    // At the system's own size, the shared cursor, which Windows picks from
    // the same images.
    if (size == GetSystemMetrics(SM_CXCURSOR)) return LoadCursorA(module, MAKEINTRESOURCEA(IDC_LINK_CURSOR));
    return static_cast<HCURSOR>(ImageAtSize(module, IDC_LINK_CURSOR, IMAGE_CURSOR, size));
}
