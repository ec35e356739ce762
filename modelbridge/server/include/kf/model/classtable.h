// The classes the plug-in serves, in registration order, and the names and identifiers
// derived from them. Portable: the Windows server pairs each entry with its creator.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kf::model {

enum class ClassKind {
    Service,         // the plug-in service
    Callback,        // called back by the modelling tool
    EditorFactory,   // view factory for a document editor
    DockableFactory, // view factory for a dockable pane
    EditorControl,   // ActiveX control hosting an editor
    ViewControl,     // ActiveX control hosting a dockable pane
};

struct ClassEntry {
    std::u16string_view name; // e.g. u"KFPDRService"
    std::uint8_t idByte;      // xx of {7C3E01xx-BB5E-4D2B-ADC1-6D353AE4F17D}
    int scriptResource;       // id of the registration script resource
    ClassKind kind;
};

inline constexpr std::array<ClassEntry, 21> kClassTable{{
    {u"KFPDRService", 0x00, 10000, ClassKind::Service},
    {u"KFPShellCallBack", 0x01, 10001, ClassKind::Callback},
    {u"KFPShellStatusBar", 0x02, 10002, ClassKind::Callback},
    {u"KFPOOMFactory", 0x03, 10003, ClassKind::EditorFactory},
    {u"KFPOOMEditor", 0x04, 10004, ClassKind::EditorControl},
    {u"KFPModelFactory", 0x05, 10005, ClassKind::DockableFactory},
    {u"KFPModelView", 0x06, 10006, ClassKind::ViewControl},
    {u"KFPResultListFactory", 0x07, 10007, ClassKind::DockableFactory},
    {u"KFPResultListView", 0x08, 10008, ClassKind::ViewControl},
    {u"KFPOutputFactory", 0x09, 10009, ClassKind::DockableFactory},
    {u"KFPOutputView", 0x0A, 10010, ClassKind::ViewControl},
    {u"KFPWorkspaceEventSink", 0x0B, 10011, ClassKind::Callback},
    {u"KFPPDMFactory", 0x0C, 10012, ClassKind::EditorFactory},
    {u"KFPPDMEditor", 0x0D, 10013, ClassKind::EditorControl},
    {u"KFPShellProgressBar", 0x0E, 10014, ClassKind::Callback},
    {u"KFPLayoutManager", 0x0F, 10015, ClassKind::Callback},
    {u"KFPAddInMenuProvider", 0x10, 10016, ClassKind::Callback},
    {u"KFPModelCodeSyncManager", 0x11, 10017, ClassKind::Callback},
    {u"KFPObjectEventHandler", 0x14, 10018, ClassKind::Callback},
    {u"KFPAttributeEventSink", 0x12, 10019, ClassKind::Callback},
    {u"KFPCollectionEventSink", 0x13, 10020, ClassKind::Callback},
}};

inline constexpr std::u16string_view kTypeLibraryId = u"{D2241128-8412-44CB-B581-BF2873DF9997}";
inline constexpr std::u16string_view kHostTypeLibraryId = u"{8D0EE0D0-46EE-4608-80EB-740C1899EE99}";
inline constexpr std::u16string_view kServiceId = u"{45ACFB1E-174F-4FB7-8BF4-C585BEBA5B33}";
inline constexpr std::u16string_view kProgIdPrefix = u"KFDraftoraPlugin.";

// "{7C3E01xx-BB5E-4D2B-ADC1-6D353AE4F17D}" in upper case, as the scripts write it.
std::u16string ClassIdText(const ClassEntry& entry);
// "KFDraftoraPlugin.<class>" and "KFDraftoraPlugin.<class>.10".
std::u16string ProgId(const ClassEntry& entry);
std::u16string VersionedProgId(const ClassEntry& entry);
// "<class> Class": the ProgIDs' and class key's default value and the coclass help string.
std::u16string ClassDescription(const ClassEntry& entry);

bool IsControl(ClassKind kind);
bool IsFactory(ClassKind kind);

} // namespace kf::model
