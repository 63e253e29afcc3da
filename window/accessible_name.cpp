#include "window/accessible_name.h"

// The GUIDs the annotation service is known by, defined here.
#include <initguid.h>
#include <oleacc.h>

#include "core/system_dlls.h"

static IAccPropServices* AnnotationService()
{
    void* service = nullptr;
    if (FAILED(CreateComObject(CLSID_AccPropServices, IID_IAccPropServices, &service))) return nullptr;
    return static_cast<IAccPropServices*>(service);
}

void NameForScreenReaders(HWND control, const wchar_t* name)
{
    IAccPropServices* service = AnnotationService();
    if (service == nullptr) return;
    service->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME, name);
    service->Release();
}

void ForgetScreenReaderName(HWND control)
{
    IAccPropServices* service = AnnotationService();
    if (service == nullptr) return;
    MSAAPROPID name = PROPID_ACC_NAME;
    service->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name, 1);
    service->Release();
}
