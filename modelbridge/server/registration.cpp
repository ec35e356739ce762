#include "kf/model/registration.h"

namespace kf::model {

Replacements ModuleReplacements(const std::u16string& modulePath) {
    return {{u"MODULE", modulePath}, {u"major_num", u"10"}, {u"minor_num", u"0"}};
}

ResultCode RunClassScripts(RegistrarMode mode, const ScriptLoader& load,
                           const Replacements& replacements, RegistryEditor& registry) {
    for (const ClassEntry& entry : kClassTable) {
        std::optional<std::u16string> text = load(entry);
        if (!text)
            return kFail;
        ParseResult parsed = ParseScript(*text, replacements);
        if (!parsed.script)
            return kFail;
        if (ResultCode rc = RunScript(*parsed.script, mode, registry); rc < 0)
            return rc;
    }
    return kOk;
}

} // namespace kf::model
