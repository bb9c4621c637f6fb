// The framework's extension-module support in its least form: a module record that the
// library fills at load, and a process-wide chain of modules that it joins at load and leaves
// at unload.
#pragma once

#include "framework/win_types.h"
#include "os/windows_api.h" // HINSTANCE

struct AFX_EXTENSION_MODULE {
    BOOL bInitialized = FALSE;
    HINSTANCE hModule = nullptr;
};

class CDynLinkLibrary;

// Marks the record initialised for `instance`. Returns FALSE if it already was.
BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HINSTANCE instance);
// Removes this module's entries from the chain (all modules' with `all`) and resets the record.
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

// One entry of the module chain. Created with `new`; the chain owns it from then on and
// AfxTermExtensionModule destroys it.
class CDynLinkLibrary {
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;
    virtual ~CDynLinkLibrary();

    HINSTANCE m_hModule;
    BOOL m_bSystem;
    CDynLinkLibrary* m_pNextDLL = nullptr;
};

// How many modules are in the chain now.
int AfxModuleChainLength();
