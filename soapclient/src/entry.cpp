#include "kf/soap/entry.h"

#include <new>
#include <string_view>

#include "kf/soap/connection.h"
#include "kf/soap/faults.h"

namespace kf::soap {
namespace {

rt::ModuleHandle g_module = nullptr;

constexpr char16_t kDescription[] =
    u"class soapexception from runtimeerror\n"
    u"function string getFaultCode()\n"
    u"function string getFaultString()\n"
    u"function string getDetailMessage()\n"
    u"function string SetDetails(string details)\n"
    u"end class\n"
    u"class soapconnection from nonvisualobject\n"
    u"function string generateproxy(string wsdl, string servicename)\n"
    u"function long createinstance(ref kestrelobject obj, string proxyname, string portname)\n"
    u"function long createinstance(ref kestrelobject obj, string proxyname)\n"
    u"function long setoptions(string options)\n"
    u"function long setproxyserveroptions(string proxyoptions)\n"
    u"end class\n";

} // namespace

const char16_t* ClassDescription() {
    return kDescription;
}

void CreateNativeObject(const char16_t* className, rt::NativeObject** out) {
    if (!className || !out)
        return;
    const std::u16string_view name(className);
    if (name == u"soapexception") {
        *out = new (std::nothrow) SoapExceptionObject();
    } else if (name == u"soapconnection") {
        *out = new (std::nothrow) SoapConnectionObject();
    }
}

rt::ModuleHandle LibraryModuleHandle() {
    return g_module;
}
void SetLibraryModuleHandle(rt::ModuleHandle module) {
    g_module = module;
}

} // namespace kf::soap
