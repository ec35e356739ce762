// Creation functions of the 21 served classes, in the order of the class table.
#pragma once

#include <windows.h>

#include <array>

#include "kf/model/classtable.h"

namespace kf::model {

using CreateFunction = HRESULT (*)(IUnknown* outer, REFIID iid, void** out);

struct ClassCreator {
    const CLSID* clsid;
    CreateFunction create;
};

// Index i belongs to kClassTable[i].
extern const std::array<ClassCreator, kClassTable.size()> kClassCreators;

HRESULT CreateService(IUnknown* outer, REFIID iid, void** out);
HRESULT CreateShellCallBack(IUnknown* outer, REFIID iid, void** out);
HRESULT CreateShellStatusBar(IUnknown* outer, REFIID iid, void** out);
HRESULT CreateShellProgressBar(IUnknown* outer, REFIID iid, void** out);
HRESULT CreateWorkspaceEventSink(IUnknown* outer, REFIID iid, void** out);
HRESULT CreateLayoutManager(IUnknown* outer, REFIID iid, void** out);
HRESULT CreateAddInMenuProvider(IUnknown* outer, REFIID iid, void** out);
HRESULT CreateModelCodeSyncManager(IUnknown* outer, REFIID iid, void** out);
HRESULT CreateObjectEventHandler(IUnknown* outer, REFIID iid, void** out);
HRESULT CreateAttributeEventSink(IUnknown* outer, REFIID iid, void** out);
HRESULT CreateCollectionEventSink(IUnknown* outer, REFIID iid, void** out);
template <int Kind> HRESULT CreateViewFactory(IUnknown* outer, REFIID iid, void** out);
template <int Kind> HRESULT CreateControl(IUnknown* outer, REFIID iid, void** out);

// The five views: editors of the two model kinds and the three dockable panes.
enum ViewKind { kOomView, kPdmView, kModelView, kResultListView, kOutputView };

} // namespace kf::model
