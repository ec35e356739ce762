#include "kf/easysoap/responseparser.h"

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/EntityResolver.hpp>
#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>

#include <map>
#include <mutex>
#include <set>

#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/xmlcomposer.h"

namespace kf::easysoap {

namespace x = XERCES_CPP_NAMESPACE;

namespace {

constexpr int kMaxDepth = 200;
constexpr std::size_t kMaxNodes = 1'000'000;
constexpr const char* kXsi1999Ns = "http://www.w3.org/1999/XMLSchema-instance";
constexpr const char* kXmlnsNs = "http://www.w3.org/2000/xmlns/";

std::string Utf8(const XMLCh* text) {
    std::string out;
    if (!text)
        return out;
    for (const XMLCh* p = text; *p; ++p) {
        std::uint32_t c = static_cast<std::uint16_t>(*p);
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint16_t>(p[1]) - 0xDC00);
            ++p;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string LocalName(const x::DOMNode* n) {
    const XMLCh* local = n->getLocalName();
    return Utf8(local ? local : n->getNodeName());
}

std::string Trim(std::string s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

const x::DOMElement* FirstChildElement(const x::DOMNode* n) {
    for (const x::DOMNode* c = n->getFirstChild(); c; c = c->getNextSibling()) {
        if (c->getNodeType() == x::DOMNode::ELEMENT_NODE)
            return static_cast<const x::DOMElement*>(c);
    }
    return nullptr;
}

const x::DOMElement* ChildByLocalName(const x::DOMNode* n, std::string_view name) {
    for (const x::DOMNode* c = n->getFirstChild(); c; c = c->getNextSibling()) {
        if (c->getNodeType() == x::DOMNode::ELEMENT_NODE && LocalName(c) == name) {
            return static_cast<const x::DOMElement*>(c);
        }
    }
    return nullptr;
}

class ThrowingErrors : public x::HandlerBase {
public:
    void error(const x::SAXParseException& e) override { throw e; }
    void fatalError(const x::SAXParseException& e) override { throw e; }
    void warning(const x::SAXParseException&) override {}
};

// External entities are never fetched.
class RefuseEntities : public x::EntityResolver {
public:
    x::InputSource* resolveEntity(const XMLCh*, const XMLCh*) override {
        throw SOAPException("Invalid response: external entities are not allowed");
    }
};

class TreeBuilder {
public:
    explicit TreeBuilder(const x::DOMElement* body) { IndexIds(body); }

    void Fill(SOAPParameter& p, const x::DOMElement* e, int depth) {
        if (depth > kMaxDepth)
            throw SOAPException("Invalid response: elements nested too deeply");
        if (++nodes_ > kMaxNodes)
            throw SOAPException("Invalid response: too many elements");
        const x::DOMElement* content = e;
        const std::string href = Utf8(e->getAttribute(u"href"));
        if (!href.empty() && href[0] == '#') {
            auto it = ids_.find(href.substr(1));
            if (it == ids_.end()) {
                throw SOAPException("Invalid response: no element with id '" + href.substr(1) +
                                    "'");
            }
            content = it->second;
        }
        if (!path_.insert(content).second) {
            throw SOAPException("Invalid response: circular href reference");
        }
        CopyAttributes(p, e);
        if (content != e)
            CopyAttributes(p, content);
        std::string text;
        bool hasChildren = false;
        for (const x::DOMNode* c = content->getFirstChild(); c; c = c->getNextSibling()) {
            const auto type = c->getNodeType();
            if (type == x::DOMNode::ELEMENT_NODE) {
                hasChildren = true;
                SOAPParameter& child = p.AddParameter(LocalName(c));
                child.SetName(LocalName(c), Utf8(c->getNamespaceURI()));
                Fill(child, static_cast<const x::DOMElement*>(c), depth + 1);
            } else if (type == x::DOMNode::TEXT_NODE || type == x::DOMNode::CDATA_SECTION_NODE) {
                text += Utf8(c->getNodeValue());
            }
        }
        path_.erase(content);
        if (IsNil(p)) {
            p.SetNull(true);
        } else if (!hasChildren) {
            p.SetValue(text);
        } else {
            p.SetIsStruct();
        }
    }

private:
    void IndexIds(const x::DOMNode* n) {
        // Iterative, so deep nesting cannot exhaust the stack.
        std::vector<const x::DOMNode*> stack{n};
        while (!stack.empty()) {
            const x::DOMNode* cur = stack.back();
            stack.pop_back();
            if (cur->getNodeType() == x::DOMNode::ELEMENT_NODE) {
                const auto* e = static_cast<const x::DOMElement*>(cur);
                const std::string id = Utf8(e->getAttribute(u"id"));
                if (!id.empty())
                    ids_.emplace(id, e);
            }
            for (const x::DOMNode* c = cur->getFirstChild(); c; c = c->getNextSibling()) {
                stack.push_back(c);
            }
        }
    }

    static bool IsNil(const SOAPParameter& p) {
        for (const char* ns : {kXsiNs, kXsi1999Ns}) {
            for (const char* name : {"nil", "null"}) {
                const SOAPQName* v = p.GetAttribute(SOAPQName(name, ns));
                if (v && v->ns.empty() && (v->name == "true" || v->name == "1"))
                    return true;
            }
        }
        return false;
    }

    static void CopyAttributes(SOAPParameter& p, const x::DOMElement* e) {
        const x::DOMNamedNodeMap* attrs = e->getAttributes();
        for (XMLSize_t i = 0; attrs && i < attrs->getLength(); ++i) {
            const x::DOMNode* a = attrs->item(i);
            const std::string ns = Utf8(a->getNamespaceURI());
            const std::string local = LocalName(a);
            if (ns == kXmlnsNs || (ns.empty() && (local == "href" || local == "id")))
                continue;
            const std::string value = Utf8(a->getNodeValue());
            SOAPQName& slot = p.AddAttribute(SOAPQName(local, ns));
            // Values of the form prefix:name are resolved, so xsi:type and arrayType compare by
            // namespace; other texts stay as they are.
            const std::size_t colon = value.find(':');
            if (colon != std::string::npos && colon > 0) {
                std::u16string prefix(value.begin(), value.begin() + static_cast<long>(colon));
                const XMLCh* uri =
                    e->lookupNamespaceURI(reinterpret_cast<const XMLCh*>(prefix.c_str()));
                if (uri) {
                    slot.Set(value.substr(colon + 1), Utf8(uri));
                    continue;
                }
            }
            slot.Set(value);
        }
    }

    std::map<std::string, const x::DOMElement*> ids_;
    std::set<const x::DOMElement*> path_;
    std::size_t nodes_ = 0;
};

[[noreturn]] void ThrowFault(const x::DOMElement* fault) {
    auto text = [&](const char* name) {
        const x::DOMElement* e = ChildByLocalName(fault, name);
        return e ? Trim(Utf8(e->getTextContent())) : std::string();
    };
    throw SOAPFaultException(
        FormatFaultMessage(text("faultcode"), text("faultstring"), text("detail")));
}

SOAPResponse Decode(const x::DOMDocument* doc) {
    if (doc->getDoctype())
        throw SOAPException("Invalid response: DOCTYPE is not allowed");
    const x::DOMElement* envelope = doc->getDocumentElement();
    if (!envelope || LocalName(envelope) != "Envelope" ||
        Utf8(envelope->getNamespaceURI()) != kSoapEnvNs) {
        throw SOAPException("Invalid response: not a SOAP 1.1 envelope");
    }
    const x::DOMElement* body = ChildByLocalName(envelope, "Body");
    if (!body)
        throw SOAPException("Invalid response: the envelope has no Body");
    const x::DOMElement* first = FirstChildElement(body);
    if (!first)
        return SOAPResponse();
    if (LocalName(first) == "Fault" && Utf8(first->getNamespaceURI()) == kSoapEnvNs) {
        ThrowFault(first);
    }
    SOAPParameter method(LocalName(first), Utf8(first->getNamespaceURI()));
    TreeBuilder(body).Fill(method, first, 0);
    return SOAPResponse(std::move(method));
}

} // namespace

namespace {
std::mutex g_xercesMutex;
bool g_xercesUp = false;
} // namespace

void EnsureXercesInitialized() {
    std::lock_guard lock(g_xercesMutex);
    if (g_xercesUp)
        return;
    x::XMLPlatformUtils::Initialize();
    g_xercesUp = true;
}

void ShutdownXerces() {
    std::lock_guard lock(g_xercesMutex);
    if (!g_xercesUp)
        return;
    x::XMLPlatformUtils::Terminate();
    g_xercesUp = false;
}

SOAPResponse ParseResponse(std::string_view bytes) {
    EnsureXercesInitialized();
    if (bytes.find("<!DOCTYPE") != std::string_view::npos) {
        throw SOAPException("Invalid response: DOCTYPE is not allowed");
    }
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        throw SOAPException("Invalid response: empty answer");
    }
    x::XercesDOMParser parser;
    ThrowingErrors errors;
    RefuseEntities entities;
    x::SecurityManager security;
    security.setEntityExpansionLimit(100);
    parser.setValidationScheme(x::XercesDOMParser::Val_Never);
    parser.setDoNamespaces(true);
    parser.setDoSchema(false);
    parser.setLoadExternalDTD(false);
    parser.setDisableDefaultEntityResolution(true);
    parser.setCreateEntityReferenceNodes(false);
    parser.setSecurityManager(&security);
    parser.setErrorHandler(&errors);
    parser.setEntityResolver(&entities);
    x::MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(),
                                "response", false);
    try {
        parser.parse(source);
    } catch (const x::SAXParseException& e) {
        throw SOAPException("Invalid response: not well-formed XML (line " +
                            std::to_string(e.getLineNumber()) + ", column " +
                            std::to_string(e.getColumnNumber()) + "): " + Utf8(e.getMessage()));
    } catch (const x::XMLException& e) {
        throw SOAPException("Invalid response: " + Utf8(e.getMessage()));
    } catch (const x::OutOfMemoryException&) {
        throw SOAPMemoryException();
    } catch (const x::DOMException& e) {
        throw SOAPException("Invalid response: " + Utf8(e.getMessage()));
    }
    const x::DOMDocument* doc = parser.getDocument();
    if (!doc)
        throw SOAPException("Invalid response: no document");
    return Decode(doc);
}

} // namespace kf::easysoap
