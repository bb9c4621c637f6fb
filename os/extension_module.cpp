#include "os/extension_module.h"

#include <mutex>

namespace {
std::mutex g_chainLock;
CDynLinkLibrary* g_chainHead = nullptr;
} // namespace

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HINSTANCE instance) {
    if (state.bInitialized) {
        return FALSE;
    }
    state.hModule = instance;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all) {
    std::unique_lock lock(g_chainLock);
    CDynLinkLibrary** link = &g_chainHead;
    while (*link != nullptr) {
        CDynLinkLibrary* entry = *link;
        if (all || entry->m_hModule == state.hModule) {
            *link = entry->m_pNextDLL;
            entry->m_pNextDLL = nullptr;
            lock.unlock();
            delete entry;
            lock.lock();
        } else {
            link = &entry->m_pNextDLL;
        }
    }
    state.bInitialized = FALSE;
    state.hModule = nullptr;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : m_hModule(state.hModule), m_bSystem(system) {
    std::lock_guard lock(g_chainLock);
    m_pNextDLL = g_chainHead;
    g_chainHead = this;
}

CDynLinkLibrary::~CDynLinkLibrary() = default;

int AfxModuleChainLength() {
    std::lock_guard lock(g_chainLock);
    int length = 0;
    for (const CDynLinkLibrary* entry = g_chainHead; entry != nullptr; entry = entry->m_pNextDLL) {
        ++length;
    }
    return length;
}
