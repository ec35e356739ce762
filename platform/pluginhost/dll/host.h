// What the COM objects of pluginhost.dll share: the one set of host services of the process
// and its transcript.
#pragma once

#include <windows.h>

#include "kf/pluginhost/services.h"

namespace kf::pluginhost {

HostServices& Services();
Transcript& HostTranscript();
HMODULE Module();

// The objects handed out by the services (each with one reference).
IUnknown* NewWorkspace();
IUnknown* NewResultList(std::u16string name);
IUnknown* NewRegistryRoot();
IUnknown* NewMainWindowObject();
HRESULT CreateMenuService(REFIID iid, void** out);

// Menus a menu set handed over (Detach): printed by menu id, freed by the host.
void KeepMenu(const std::u16string& menuId, HMENU menu);
void FreeKeptMenus();
// Destroys a menu with the item records, captions and images it carries.
void DestroyMenuAndRecords(HMENU menu);

} // namespace kf::pluginhost
