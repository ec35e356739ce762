#include "kf/uddi/uddiproxyobject.h"

namespace kf::uddi {

// Line 6 keeps its two spaces after "count,": the runtime compares descriptions as text.
const char16_t kClassDescription[] =
    u"class UDDIProxy from nonvisualobject\n"
    u"function integer setInquiryUrl(readonly string url)\n"
    u"function integer setOption(boolean exactMatch, boolean caseSensitive, integer sort, "
    u"integer maxRow)\n"
    u"function integer findBusiness(readonly string businessName, ref integer count, ref string "
    u"businessName[], ref string businessDescription[], ref string businessKey[])\n"
    u"function integer getBusinessDetail(readonly string businessKey, ref integer count, ref "
    u"string serviceName[], ref string serviceDescription[], ref string serviceKey[], ref "
    u"string wsdl[])\n"
    u"function integer findService(readonly string serviceName, ref integer count,  ref string "
    u"serviceName[], ref string serviceDescription[], ref string serviceKey[], ref string "
    u"businessName[], ref string wsdl[])\n";

static_assert(sizeof(kClassDescription) / sizeof(char16_t) == 749 + 1);

} // namespace kf::uddi
