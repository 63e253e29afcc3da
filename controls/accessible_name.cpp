// The annotation service is called through its C form, which every
// compiler's headers give alike.
#ifndef CINTERFACE
#define CINTERFACE
#endif
#ifndef COBJMACROS
#define COBJMACROS
#endif

#include "controls/accessible_name.h"

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
    IAccPropServices_SetHwndPropStr(service, control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                    PROPID_ACC_NAME, name);
    IAccPropServices_Release(service);
}

void ForgetScreenReaderName(HWND control)
{
    IAccPropServices* service = AnnotationService();
    if (service == nullptr) return;
    MSAAPROPID name = PROPID_ACC_NAME;
    IAccPropServices_ClearHwndProps(service, control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name, 1);
    IAccPropServices_Release(service);
}
