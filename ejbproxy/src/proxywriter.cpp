// The export source text of one proxy class.

#include "kf/ejb/proxywriter.h"

#include "kf/ejb/javaclassproxy.h"
#include "kf/ejb/typemap.h"

namespace kf::ejb {
namespace {

void AppendFieldAccessors(JavaClassProxy& cls, const ProxyMember& m, std::string& text) {
    const std::string name = LegaliseMemberName(m.javaName);
    const bool array = m.kind == ProxyMember::Kind::ArrayField;
    text += "function " + (array ? std::string("any") : m.type) + " __get_" + name +
            "()  alias for \"R:" + m.javaName + "," + m.signature +
            (array ? "|" + m.type : std::string()) + "\"\n";
    text += "subroutine  __set_" + name + "( " + m.type + " " + name + (array ? "[]" : "") +
            ")  alias for \"W:" + m.javaName + "," + m.signature + "\"\n";
    cls.indirectProperties[name] = array ? "any" : m.type;
    if (array && !m.simple) cls.arrayElementTypes[m.type] = m.type;
}

void AppendPrototype(JavaClassProxy& cls, const ProxyMember& m, std::string& text) {
    const std::string resultType = m.arrayResult ? std::string("any") : m.type;
    text += resultType.empty() ? "subroutine" : "function";
    text += " " + resultType + " " + LegaliseMemberName(m.javaName) + "(";
    for (std::size_t i = 0; i < m.parameters.size(); ++i) {
        const ProxyParameter& p = m.parameters[i];
        const std::string number = std::to_string(i + 1);
        text += i == 0 ? " " : ", ";
        if (p.dimensions >= 2) {
            text += "any any_" + number;
        } else {
            text += p.type + " " + p.type + "_" + number + (p.dimensions == 1 ? "[]" : "");
        }
    }
    text += ") ";
    if (!m.exceptions.empty()) {
        text += "throws";
        for (std::size_t i = 0; i < m.exceptions.size(); ++i) {
            text += (i == 0 ? " " : ", ") + m.exceptions[i];
        }
    }
    text += " alias for \"";
    text += m.javaName == cls.proxyName ? std::string("<init>") : m.javaName;
    text += "," + m.signature;
    if (m.arrayResult && !m.simple) {
        text += "|" + m.type;
        cls.arrayElementTypes[m.type] = m.type;
    }
    text += "\"\n";
}

} // namespace

std::string ComposeProxyText(JavaClassProxy& cls, const std::vector<ProxyMember>& members) {
    std::string privateText;
    std::string publicText;
    for (const ProxyMember& m : members) {
        if (m.kind == ProxyMember::Kind::Field || m.kind == ProxyMember::Kind::ArrayField) {
            AppendFieldAccessors(cls, m, privateText);
        } else {
            AppendPrototype(cls, m, publicText);
        }
    }

    std::string text;
    text += "$KFExportHeader$" + cls.proxyName + ".srx\r";
    text += "$KFExportComments$Java Proxy for class: " + cls.javaName + "\n";
    text += "global type " + cls.proxyName + " from " + cls.ancestor + "\n";
    text += "end type\n\n";

    text += "type variables\n protected:\n";
    text += "string " + cls.proxyName + "_javaname= \"" + cls.javaName + "\" \n";
    for (const auto& [type, same] : cls.arrayElementTypes) {
        text += type + " i__" + cls.proxyName + "__" + same + "\n";
    }
    if (!cls.indirectProperties.empty()) {
        text += "\n public:\n";
        for (const auto& [name, type] : cls.indirectProperties) {
            text += "indirect " + type + " " + name + " { __set_" + name + "(*value), __get_" +
                    name + "() }\n";
        }
    }
    text += "end variables\n\n";

    if (privateText.empty() && publicText.empty()) return text;
    text += "forward prototypes\n";
    if (!privateText.empty()) text += " private:\n" + privateText + "\n";
    if (!publicText.empty()) text += " public:\n" + publicText;
    text += "end prototypes";
    return text;
}

} // namespace kf::ejb
