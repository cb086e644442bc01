// Classes that the framework creates by name at run time: a document template
// makes its frame, view and document from their CRuntimeClass records, which
// DECLARE_DYNCREATE / IMPLEMENT_DYNCREATE give a class and RUNTIME_CLASS names.
#pragma once

#include "platform/appframe/CCmdTarget.h"

namespace win {

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    CCmdTarget *(*m_pfnCreateObject)();

    // A new object of the class (on the heap, owned by the caller).
    CCmdTarget *CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
};

} // namespace win

// Inside a class declaration; leaves the declaration public.
#define DECLARE_DYNCREATE(theClass)                                                                                    \
public:                                                                                                                \
    static const ::win::CRuntimeClass class##theClass;                                                                 \
    static ::win::CCmdTarget *CreateObject();

// In the class's unit, at namespace scope.
#define IMPLEMENT_DYNCREATE(theClass, baseClass)                                                                       \
    ::win::CCmdTarget *theClass::CreateObject() { return new theClass; }                                               \
    const ::win::CRuntimeClass theClass::class##theClass = {#theClass, &theClass::CreateObject};

#define RUNTIME_CLASS(theClass) (&theClass::class##theClass)
