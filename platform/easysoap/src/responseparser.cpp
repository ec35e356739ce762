#include "kf/easysoap/responseparser.h"

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax/EntityResolver.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <algorithm>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/xmlcomposer.h"

namespace kf::easysoap {

namespace x = XERCES_CPP_NAMESPACE;

namespace {

constexpr int kMaxDepth = 200;
// Elements of the decoded tree, href copies included: room for arrays of a million
// structures, a bound on what references can multiply.
constexpr std::size_t kMaxNodes = 8'000'000;
constexpr const char* kXsi1999Ns = "http://www.w3.org/1999/XMLSchema-instance";
constexpr const char* kXmlnsNs = "http://www.w3.org/2000/xmlns/";
constexpr const char* kXmlNs = "http://www.w3.org/XML/1998/namespace";

void AppendUtf8(std::string& out, const XMLCh* text, std::size_t length) {
    const XMLCh* end = text + length;
    for (const XMLCh* p = text; p < end; ++p) {
        std::uint32_t c = static_cast<std::uint16_t>(*p);
        if (c < 0x80) {
            // Runs of ASCII, most of any response, are copied in one go.
            const XMLCh* run = p;
            while (run < end && static_cast<std::uint16_t>(*run) < 0x80)
                ++run;
            const std::size_t at = out.size();
            out.resize(at + static_cast<std::size_t>(run - p));
            char* dst = out.data() + at;
            for (; p < run; ++p)
                *dst++ = static_cast<char>(*p);
            --p;
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && p + 1 < end && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint16_t>(p[1]) - 0xDC00);
            ++p;
        }
        if (c < 0x800) {
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
}

std::size_t Length(const XMLCh* text) {
    std::size_t n = 0;
    while (text && text[n])
        ++n;
    return n;
}

std::string Utf8(const XMLCh* text) {
    std::string out;
    if (text)
        AppendUtf8(out, text, Length(text));
    return out;
}

std::string Trim(std::string s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

bool IsNil(const SOAPParameter& p) {
    if (p.GetAttributes().empty())
        return false;
    for (const char* ns : {kXsiNs, kXsi1999Ns}) {
        for (const char* name : {"nil", "null"}) {
            const SOAPQName* v = p.GetAttribute(SOAPQName(name, ns));
            if (v && v->ns.empty() && (v->name == "true" || v->name == "1"))
                return true;
        }
    }
    return false;
}

class ThrowingErrors : public x::ErrorHandler {
public:
    void error(const x::SAXParseException& e) override { throw e; }
    void fatalError(const x::SAXParseException& e) override { throw e; }
    void warning(const x::SAXParseException&) override {}
    void resetErrors() override {}
};

// External entities are never fetched.
class RefuseEntities : public x::EntityResolver {
public:
    x::InputSource* resolveEntity(const XMLCh*, const XMLCh*) override {
        throw SOAPException("Invalid response: external entities are not allowed");
    }
};

const SOAPQName kHref("href");

// Builds the parameter tree while Xerces-C reads the text, so no document is held beside
// it: the first element of the Body becomes the method, later Body elements are kept only
// as targets of href="#id" references, which are resolved once the text is read.
class TreeBuilder : public x::DefaultHandler {
public:
    explicit TreeBuilder(std::size_t bytes) : bytes_(bytes) {}

    void startElement(const XMLCh* uri, const XMLCh* localname, const XMLCh*,
                      const x::Attributes& attrs) override {
        const int depth = static_cast<int>(open_.size());
        if (depth == 0) {
            if (Utf8(localname) != "Envelope" || Ns(uri) != kSoapEnvNs)
                throw SOAPException("Invalid response: not a SOAP 1.1 envelope");
        } else if (depth == 1 && !inBody_ && !bodySeen_ && Utf8(localname) == "Body") {
            inBody_ = bodySeen_ = true;
            bodyDepth_ = 1;
        } else if (inBody_) {
            StartBodyElement(uri, localname, attrs, depth - bodyDepth_ - 1);
            return;
        }
        open_.push_back({nullptr, {}});
    }

    void endElement(const XMLCh*, const XMLCh*, const XMLCh*) override {
        Open& e = open_.back();
        if (e.param) {
            SOAPParameter& p = *e.param;
            const std::size_t children = std::as_const(p).GetArray().size();
            if (IsNil(p)) {
                p.SetNull(true);
            } else if (children == 0) {
                p.SetValue(e.text);
            } else {
                p.SetIsStruct();
                // The next sibling likely has as many children: its vector is made that size.
                childHint_[open_.size() - 1] = children;
            }
        }
        if (faultChild_ && static_cast<int>(open_.size()) - bodyDepth_ - 2 == faultDepth_ + 1) {
            faultChild_ = nullptr;
        }
        if (e.param)
            reuse_[open_.size() - 1] = std::move(e.text);
        open_.pop_back();
        if (inBody_ && static_cast<int>(open_.size()) == bodyDepth_)
            inBody_ = false;
    }

    void characters(const XMLCh* chars, const XMLSize_t length) override {
        if (faultChild_)
            AppendUtf8(*faultChild_, chars, length);
        // The text of an element with children is not kept.
        if (!open_.empty() && open_.back().param &&
            std::as_const(*open_.back().param).GetArray().empty())
            AppendUtf8(open_.back().text, chars, length);
    }

    void startPrefixMapping(const XMLCh* prefix, const XMLCh* uri) override {
        prefixes_.emplace_back(prefix ? std::u16string(prefix) : std::u16string(), Utf8(uri));
    }
    void endPrefixMapping(const XMLCh* prefix) override {
        const std::u16string p = prefix ? prefix : u"";
        for (auto it = prefixes_.rbegin(); it != prefixes_.rend(); ++it) {
            if (it->first == p) {
                prefixes_.erase(std::next(it).base());
                break;
            }
        }
    }

    void startDTD(const XMLCh*, const XMLCh*, const XMLCh*) override {
        throw SOAPException("Invalid response: DOCTYPE is not allowed");
    }

    SOAPResponse Finish() {
        if (!bodySeen_)
            throw SOAPException("Invalid response: the envelope has no Body");
        if (fault_)
            throw SOAPFaultException(
                FormatFaultMessage(Trim(faultText_[0]), Trim(faultText_[1]), Trim(faultText_[2])));
        if (!method_)
            return SOAPResponse();
        if (hrefs_ > 0)
            Resolve(*method_, 0);
        return SOAPResponse(std::move(*method_));
    }

private:
    struct Open {
        SOAPParameter* param; // none outside the Body's elements and inside a fault
        std::string text;
    };

    void StartBodyElement(const XMLCh* uri, const XMLCh* localname, const x::Attributes& attrs,
                          int depth) {
        if (depth > kMaxDepth)
            throw SOAPException("Invalid response: elements nested too deeply");
        if (++nodes_ > kMaxNodes)
            throw SOAPException("Invalid response: too many elements");
        if (faultDepth_ >= 0) {
            const std::string local = Utf8(localname);
            // The fault's code, string and detail are texts of its children.
            if (depth == faultDepth_ + 1 && !faultChild_) {
                static const char* const names[] = {"faultcode", "faultstring", "detail"};
                for (int i = 0; i < 3; ++i) {
                    if (local == names[i] && !faultSeen_[i]) {
                        faultSeen_[i] = true;
                        faultChild_ = &faultText_[i];
                    }
                }
            }
            open_.push_back({nullptr, {}});
            return;
        }
        SOAPParameter* p = nullptr;
        if (depth == 0) {
            const std::string local = Utf8(localname);
            if (!firstSeen_) {
                firstSeen_ = true;
                if (local == "Fault" && Ns(uri) == kSoapEnvNs) {
                    fault_ = true;
                    faultDepth_ = 0;
                    open_.push_back({nullptr, {}});
                    return;
                }
                method_ = std::make_unique<SOAPParameter>(local, Ns(uri));
                p = method_.get();
            } else {
                others_.push_back(std::make_unique<SOAPParameter>(local, Ns(uri)));
                p = others_.back().get();
            }
        } else {
            SOAPParameter* parent = open_.back().param;
            if (parent) {
                SOAPParameter::Array& siblings = parent->GetArray();
                if (siblings.empty()) {
                    const std::size_t hint = childHint_[open_.size() - 1];
                    if (hint > 0 && hint <= 64)
                        siblings.reserve(hint);
                }
                siblings.push_back(NewElement(localname, uri));
                p = siblings.back().get();
            }
        }
        if (p)
            CopyAttributes(*p, attrs);
        while (reuse_.size() <= open_.size())
            reuse_.emplace_back();
        while (childHint_.size() <= open_.size())
            childHint_.push_back(0);
        open_.push_back({p, std::move(reuse_[open_.size()])});
        open_.back().text.clear();
    }

    // Elements repeat a few names: each name is made once per response and shared.
    std::unique_ptr<SOAPParameter> NewElement(const XMLCh* localname, const XMLCh* uri) {
        const std::u16string_view local(localname, Length(localname));
        const std::u16string_view ns(uri ? uri : u"", Length(uri));
        auto element = std::make_unique<SOAPParameter>();
        for (std::size_t i = 0; i < names_.size(); ++i) {
            NameEntry& n = names_[(lastName_ + i) % names_.size()];
            if (n.local == local && n.ns == ns) {
                lastName_ = (lastName_ + i) % names_.size();
                element->ShareName(n.element);
                return element;
            }
        }
        element->SetName(Utf8(localname), Ns(uri));
        if (names_.size() < kMaxSharedNames) {
            names_.push_back({std::u16string(local), std::u16string(ns), SOAPParameter()});
            names_.back().element.ShareName(*element);
            lastName_ = names_.size() - 1;
        }
        return element;
    }

    // The namespace text of a URI; Xerces-C hands out the same pointer for the same URI.
    const std::string& Ns(const XMLCh* uri) {
        if (uri == lastUri_)
            return lastNs_;
        lastUri_ = uri;
        lastNs_ = Utf8(uri);
        return lastNs_;
    }

    const std::string* LookupPrefix(std::u16string_view prefix) const {
        for (auto it = prefixes_.rbegin(); it != prefixes_.rend(); ++it) {
            if (it->first == prefix)
                return &it->second;
        }
        return nullptr;
    }

    void CopyAttributes(SOAPParameter& p, const x::Attributes& attrs) {
        const XMLSize_t n = attrs.getLength();
        for (XMLSize_t i = 0; i < n; ++i) {
            const XMLCh* uri = attrs.getURI(i);
            const XMLCh* localname = attrs.getLocalName(i);
            const std::string ns = Utf8(uri);
            const std::string local = Utf8(localname);
            if (ns == kXmlnsNs)
                continue;
            const std::string value = Utf8(attrs.getValue(i));
            if (ns.empty() && local == "id") {
                ids_.emplace(value, &p);
                continue;
            }
            if (ns.empty() && local == "href") {
                // Kept until the references are resolved.
                p.AddAttribute(kHref).Set(value);
                ++hrefs_;
                continue;
            }
            if (local == "arrayType" && ns == kSoapEncNs)
                ReserveItems(p, value);
            SOAPQName& slot = p.AddAttribute(SOAPQName(local, ns));
            // Values of the form prefix:name are resolved, so xsi:type and arrayType compare by
            // namespace; other texts stay as they are.
            const std::size_t colon = value.find(':');
            if (colon != std::string::npos && colon > 0) {
                const std::u16string prefix(value.begin(),
                                            value.begin() + static_cast<long>(colon));
                const std::string* bound = prefix == u"xml" ? nullptr : LookupPrefix(prefix);
                if (bound || prefix == u"xml") {
                    slot.Set(value.substr(colon + 1), bound ? *bound : std::string(kXmlNs));
                    continue;
                }
            }
            slot.Set(value);
        }
    }

    // Room for the items an array announces, so a large array is not moved as it grows;
    // never more than the text could hold.
    void ReserveItems(SOAPParameter& p, const std::string& arrayType) const {
        const std::size_t open = arrayType.rfind('[');
        if (open == std::string::npos || arrayType.back() != ']')
            return;
        std::size_t n = 0;
        for (std::size_t i = open + 1; i + 1 < arrayType.size(); ++i) {
            if (arrayType[i] < '0' || arrayType[i] > '9' || n > kMaxNodes)
                return;
            n = n * 10 + static_cast<std::size_t>(arrayType[i] - '0');
        }
        p.GetArray().reserve(std::min(n, bytes_ / 4));
    }

    static std::size_t CountNodes(const SOAPParameter& p) {
        std::size_t n = 1;
        for (const auto& c : p.GetArray())
            n += CountNodes(*c);
        return n;
    }

    // Replaces every href="#id" by the content of the element of that id, recursively.
    void Resolve(SOAPParameter& p, int depth) {
        if (depth > kMaxDepth)
            throw SOAPException("Invalid response: elements nested too deeply");
        const SOAPParameter* content = &p;
        if (const SOAPQName* href = p.GetAttribute(kHref)) {
            const std::string ref = href->name;
            p.RemoveAttribute(kHref);
            if (!ref.empty() && ref[0] == '#') {
                auto it = ids_.find(ref.substr(1));
                if (it == ids_.end()) {
                    throw SOAPException("Invalid response: no element with id '" + ref.substr(1) +
                                        "'");
                }
                content = it->second;
            }
        }
        if (!path_.insert(content).second)
            throw SOAPException("Invalid response: circular href reference");
        if (content != &p) {
            for (const auto& [name, value] : content->GetAttributes()) {
                if (!(name == kHref))
                    p.AddAttribute(name) = value;
            }
            // The element's own children may be the target or hold other targets: they stay
            // alive, out of the tree, until the builder ends.
            discarded_.emplace_back();
            discarded_.back().swap(p.GetArray());
            if (IsNil(p)) {
                p.SetNull(true);
            } else if (content->GetArray().empty()) {
                p.SetValue(content->GetString());
            } else {
                for (const auto& c : content->GetArray()) {
                    nodes_ += CountNodes(*c);
                    if (nodes_ > kMaxNodes)
                        throw SOAPException("Invalid response: too many elements");
                    p.GetArray().push_back(std::make_unique<SOAPParameter>(*c));
                }
                p.SetIsStruct();
            }
        }
        if (!std::as_const(p).GetArray().empty()) {
            for (auto& c : p.GetArray())
                Resolve(*c, depth + 1);
        }
        path_.erase(content);
    }

    struct NameEntry {
        std::u16string local, ns;
        SOAPParameter element; // holds the shared name
    };
    static constexpr std::size_t kMaxSharedNames = 64;

    std::size_t bytes_;
    std::vector<NameEntry> names_;
    std::size_t lastName_ = 0;
    std::vector<std::size_t> childHint_; // per depth: children of the last compound element
    std::vector<Open> open_;
    std::vector<std::string> reuse_; // text buffers, one per depth, kept between elements
    std::vector<std::pair<std::u16string, std::string>> prefixes_;
    bool inBody_ = false, bodySeen_ = false, firstSeen_ = false;
    int bodyDepth_ = 0;
    std::unique_ptr<SOAPParameter> method_;
    std::vector<std::unique_ptr<SOAPParameter>> others_; // multiRef targets
    std::vector<SOAPParameter::Array> discarded_;        // replaced by href content
    std::unordered_map<std::string, const SOAPParameter*> ids_;
    std::unordered_set<const SOAPParameter*> path_;
    std::size_t hrefs_ = 0, nodes_ = 0;
    const XMLCh* lastUri_ = nullptr;
    std::string lastNs_;
    bool fault_ = false;
    int faultDepth_ = -1;
    bool faultSeen_[3] = {false, false, false};
    std::string faultText_[3];
    std::string* faultChild_ = nullptr;
};

} // namespace

namespace {

std::mutex g_xercesMutex;
bool g_xercesUp = false;
// A reader kept between responses: making one costs more than reading a small answer.
std::unique_ptr<x::SAX2XMLReader> g_idleReader;

std::unique_ptr<x::SAX2XMLReader> NewReader() {
    std::unique_ptr<x::SAX2XMLReader> reader(x::XMLReaderFactory::createXMLReader());
    // The well-formedness scanner: no validation is ever asked for, and it is the fastest.
    // Without a DOCTYPE no entity can be declared, so no expansion limit is needed (this
    // scanner would count every &amp; against one).
    reader->setProperty(x::XMLUni::fgXercesScannerName,
                        const_cast<XMLCh*>(x::XMLUni::fgWFXMLScanner));
    reader->setFeature(x::XMLUni::fgSAX2CoreNameSpaces, true);
    reader->setFeature(x::XMLUni::fgSAX2CoreNameSpacePrefixes, false);
    reader->setFeature(x::XMLUni::fgSAX2CoreValidation, false);
    reader->setFeature(x::XMLUni::fgXercesSchema, false);
    reader->setFeature(x::XMLUni::fgXercesLoadExternalDTD, false);
    reader->setFeature(x::XMLUni::fgXercesDisableDefaultEntityResolution, true);
    return reader;
}

// Lends the idle reader, or a new one when another parse has it; takes it back after.
class LentReader {
public:
    LentReader() {
        {
            std::lock_guard lock(g_xercesMutex);
            reader_ = std::move(g_idleReader);
        }
        if (!reader_)
            reader_ = NewReader();
    }
    ~LentReader() {
        reader_->setContentHandler(nullptr);
        reader_->setLexicalHandler(nullptr);
        reader_->setErrorHandler(nullptr);
        reader_->setEntityResolver(nullptr);
        std::lock_guard lock(g_xercesMutex);
        if (g_xercesUp && !g_idleReader)
            g_idleReader = std::move(reader_);
    }
    LentReader(const LentReader&) = delete;
    LentReader& operator=(const LentReader&) = delete;
    x::SAX2XMLReader* operator->() const { return reader_.get(); }

private:
    std::unique_ptr<x::SAX2XMLReader> reader_;
};

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
    g_idleReader.reset();
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
    LentReader reader;
    TreeBuilder builder(bytes.size());
    ThrowingErrors errors;
    RefuseEntities entities;
    reader->setContentHandler(&builder);
    reader->setLexicalHandler(&builder);
    reader->setErrorHandler(&errors);
    reader->setEntityResolver(&entities);
    x::MemBufInputSource source(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(),
                                "response", false);
    // Xerces-C would copy the whole text into its stream otherwise; bytes outlive the parse.
    source.setCopyBufToStream(false);
    try {
        reader->parse(source);
    } catch (const x::SAXParseException& e) {
        throw SOAPException("Invalid response: not well-formed XML (line " +
                            std::to_string(e.getLineNumber()) + ", column " +
                            std::to_string(e.getColumnNumber()) + "): " + Utf8(e.getMessage()));
    } catch (const x::XMLException& e) {
        throw SOAPException("Invalid response: " + Utf8(e.getMessage()));
    } catch (const x::OutOfMemoryException&) {
        throw SOAPMemoryException();
    }
    return builder.Finish();
}

} // namespace kf::easysoap
