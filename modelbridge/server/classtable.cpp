#include "kf/model/classtable.h"

namespace kf::model {

std::u16string ClassIdText(const ClassEntry& entry) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string text = u"{7C3E01";
    text += kHex[entry.idByte >> 4];
    text += kHex[entry.idByte & 0xF];
    text += u"-BB5E-4D2B-ADC1-6D353AE4F17D}";
    return text;
}

std::u16string ProgId(const ClassEntry& entry) {
    return std::u16string(kProgIdPrefix) + std::u16string(entry.name);
}

std::u16string VersionedProgId(const ClassEntry& entry) {
    return ProgId(entry) + u".10";
}

std::u16string ClassDescription(const ClassEntry& entry) {
    return std::u16string(entry.name) + u" Class";
}

bool IsControl(ClassKind kind) {
    return kind == ClassKind::EditorControl || kind == ClassKind::ViewControl;
}

bool IsFactory(ClassKind kind) {
    return kind == ClassKind::EditorFactory || kind == ClassKind::DockableFactory;
}

} // namespace kf::model
