#include "kf/easysoap/xmlcomposer.h"

#include <map>

namespace kf::easysoap {
namespace {

bool g_addWhiteSpace = false;

// Prefixes of one envelope: the four standard ones, then ns1, ns2, ... in order of first use.
class Namespaces {
public:
    Namespaces() {
        order_ = {
            {kSoapEnvNs, "SOAP-ENV"}, {kSoapEncNs, "SOAP-ENC"}, {kXsiNs, "xsi"}, {kXsdNs, "xsd"}};
        for (const auto& [ns, prefix] : order_)
            prefixes_[ns] = prefix;
    }
    void Use(const std::string& ns) {
        if (ns.empty() || prefixes_.count(ns))
            return;
        std::string prefix = "ns" + std::to_string(++count_);
        prefixes_[ns] = prefix;
        order_.emplace_back(ns, prefix);
    }
    const std::string& Prefix(const std::string& ns) const { return prefixes_.at(ns); }
    const std::vector<std::pair<std::string, std::string>>& Order() const { return order_; }

private:
    std::map<std::string, std::string> prefixes_;
    std::vector<std::pair<std::string, std::string>> order_;
    int count_ = 0;
};

void EscapeText(std::string& out, std::string_view text, bool attribute) {
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += attribute ? "&quot;" : "\"";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '\t':
            out += attribute ? "&#9;" : "\t";
            break;
        case '\n':
            out += attribute ? "&#10;" : "\n";
            break;
        default:
            out += c;
        }
    }
}

class Writer {
public:
    Writer(const SOAPMethod& method, BindingStyle style)
        : method_(method), document_(style == BindingStyle::Document) {
        top_ = method.GetName();
        if (document_ && !method.GetSoapElementName().name.empty()) {
            top_.name = method.GetSoapElementName().name;
            if (!method.GetSoapElementName().ns.empty())
                top_.ns = method.GetSoapElementName().ns;
        }
    }

    std::string Compose() {
        ns_.Use(top_.ns);
        for (const auto& child : method_.GetArray())
            Collect(*child);
        for (const auto& [name, value] : method_.GetAttributes()) {
            ns_.Use(name.ns);
            ns_.Use(value.ns);
        }
        out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
        Break(0);
        out_ += "<SOAP-ENV:Envelope";
        for (const auto& [ns, prefix] : ns_.Order()) {
            out_ += " xmlns:" + prefix + "=\"";
            EscapeText(out_, ns, true);
            out_ += '"';
        }
        if (!document_) {
            out_ += " SOAP-ENV:encodingStyle=\"";
            out_ += kSoapEncNs;
            out_ += '"';
        }
        out_ += '>';
        Break(1);
        out_ += "<SOAP-ENV:Body>";
        Break(2);
        WriteElement(method_, top_, 2);
        Break(1);
        out_ += "</SOAP-ENV:Body>";
        Break(0);
        out_ += "</SOAP-ENV:Envelope>";
        if (g_addWhiteSpace)
            out_ += '\n';
        return std::move(out_);
    }

private:
    // rpc: accessors in the method's namespace are written unqualified, as SOAP encoding has it.
    std::string ElementNs(const SOAPParameter& p) const {
        const std::string& ns = p.GetName().ns;
        if (!document_ && ns == top_.ns)
            return {};
        return ns;
    }

    void Collect(const SOAPParameter& p) {
        ns_.Use(ElementNs(p));
        for (const auto& [name, value] : p.GetAttributes()) {
            ns_.Use(name.ns);
            ns_.Use(value.ns);
        }
        for (const auto& child : p.GetArray())
            Collect(*child);
    }

    void Break(int depth) {
        if (!g_addWhiteSpace)
            return;
        out_ += '\n';
        out_.append(static_cast<std::size_t>(depth) * 2, ' ');
    }

    void Name(const SOAPQName& name) {
        if (!name.ns.empty())
            out_ += ns_.Prefix(name.ns) + ":";
        out_ += name.name;
    }

    void WriteElement(const SOAPParameter& p, const SOAPQName& name, int depth) {
        out_ += '<';
        Name(name);
        for (const auto& [attr, value] : p.GetAttributes()) {
            out_ += ' ';
            Name(attr);
            out_ += "=\"";
            std::string text;
            if (!value.ns.empty())
                text = ns_.Prefix(value.ns) + ":";
            text += value.name;
            EscapeText(out_, text, true);
            out_ += '"';
        }
        if (p.IsNull()) {
            if (!p.GetAttribute(SOAPQName("nil", kXsiNs)))
                out_ += " xsi:nil=\"true\"";
            out_ += "/>";
            return;
        }
        if (p.GetArray().empty() && p.GetString().empty()) {
            out_ += "/>";
            return;
        }
        out_ += '>';
        if (!p.GetArray().empty()) {
            for (const auto& child : p.GetArray()) {
                Break(depth + 1);
                WriteElement(*child, SOAPQName(child->GetName().name, ElementNs(*child)),
                             depth + 1);
            }
            Break(depth);
        } else {
            EscapeText(out_, p.GetString(), false);
        }
        out_ += "</";
        Name(name);
        out_ += '>';
    }

    const SOAPMethod& method_;
    bool document_;
    SOAPQName top_;
    Namespaces ns_;
    std::string out_;
};

} // namespace

void XMLComposer::SetAddWhiteSpace(bool on) {
    g_addWhiteSpace = on;
}
bool XMLComposer::GetAddWhiteSpace() {
    return g_addWhiteSpace;
}

std::string XMLComposer::ComposeEnvelope(const SOAPMethod& method, BindingStyle style) {
    return Writer(method, style).Compose();
}

} // namespace kf::easysoap
