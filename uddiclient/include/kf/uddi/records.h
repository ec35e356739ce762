// The search results as the extension hands them to the script: UTF-16 texts, empty for
// a Java null.
#pragma once

#include <string>

namespace kf::uddi {

struct BusinessRecord {
    std::u16string name;
    std::u16string description;
    std::u16string key;
};

struct ServiceRecord {
    std::u16string name;
    std::u16string description;
    std::u16string serviceKey;
    std::u16string businessName;
    std::u16string businessKey;
    std::u16string tModelKey;
    std::u16string wsdl;
};

} // namespace kf::uddi
