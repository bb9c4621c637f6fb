// Values joined with "|", so that a whole record, or a result and all its outputs, compares in
// one line and a failing row shows every value at once.
#pragma once

#include "vanta/cstring.h"

#include <ostream>
#include <sstream>
#include <string>

namespace vanta::test {

inline std::ostream& operator<<(std::ostream& out, const CString& text) {
    return out << text.str();
}

template <class... Values>
std::string Join(const Values&... values) {
    std::ostringstream out;
    const char* separator = "";
    ((out << separator << values, separator = "|"), ...);
    return out.str();
}

} // namespace vanta::test
