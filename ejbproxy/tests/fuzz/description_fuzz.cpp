// Arbitrary bytes as javap output: prepared (newer format converted) and parsed.
// The resolver knows one class, so parsing runs deep wherever the text names it
// and fails early everywhere else.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kf/ejb/classparser.h"
#include "kf/ejb/classreader.h"
#include "kf/ejb/classresolver.h"
#include "kf/ejb/javaclassproxy.h"
#include "kf/ejb/javapformat.h"

namespace {

class OneClassResolver : public kf::ejb::ClassResolver {
public:
    explicit OneClassResolver(kf::ejb::JavaClassProxy& known) : known_(known) {}
    kf::ejb::JavaClassProxy* FindOrGenerate(const std::string& javaName) override {
        return javaName == known_.javaName || javaName.starts_with("java.") ? &known_ : nullptr;
    }
    void AddError(std::string text) override { errors_ += text.size(); }

private:
    kf::ejb::JavaClassProxy& known_;
    std::size_t errors_ = 0;
};

// The name the parser will compare with the requested one, so that the class head
// check passes and the members get read.
std::string ClassNameIn(std::string_view text) {
    kf::ejb::DescriptionTokenizer tokens(text);
    kf::ejb::Token t;
    do
        t = tokens.Next();
    while (t.kind != kf::ejb::TokenKind::EndOfText && t.kind != kf::ejb::TokenKind::Public);
    do
        t = tokens.Next();
    while (t.kind != kf::ejb::TokenKind::EndOfText && t.kind != kf::ejb::TokenKind::Word);
    return t.text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);

    std::string converted = kf::ejb::ConvertModernJavapFormat(input);
    if (!kf::ejb::IsModernJavapFormat(input) && converted != input)
        __builtin_trap();
    if (converted.size() > size * 16 + 65536)
        __builtin_trap();

    std::string prepared = kf::ejb::PrepareDescription(std::string(input));
    kf::ejb::JavaClassProxy cls;
    cls.javaName = ClassNameIn(prepared);
    cls.proxyName = "Known";
    OneClassResolver resolver(cls);
    std::vector<kf::ejb::ProxyMember> members;
    kf::ejb::ReadClassDescription(cls, prepared, resolver, members);
    return 0;
}
