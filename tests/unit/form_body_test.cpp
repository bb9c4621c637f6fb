// Form bodies: field names go out byte for byte, values cannot add, end or split fields.
#include "transport/form_body.h"

#include <gtest/gtest.h>

using namespace vanta::internal;

namespace {

TEST(FormBody, NamesStayValuesAreEncodedWhereTheyCouldBreakTheForm) {
    const struct {
        CString value;
        std::string sent;
    } rows[] = {
        {"7", "7"},
        {"", ""},
        {"a&PW=x", "a%26PW%3Dx"},
        {"1+1=2 100%", "1%2B1%3D2 100%25"},
        {CString(std::string("a\r\nb\x7f\x01\xe9 /?#", 11)), "a%0D%0Ab%7F%01\xe9 /?#"},
    };
    for (const auto& row : rows) {
        FormBody body;
        body.Add("asset_num =", row.value).Add("&x=", "1");
        EXPECT_EQ(body.Text().str(), "asset_num =" + row.sent + "&x=1");
    }
    FormBody numbers;
    numbers.AddInt("a=", -5).AddUnsigned("&b=", 4294967295u).AddSize("&c=", 5000000000ull);
    EXPECT_EQ(numbers.Text(), "a=-5&b=4294967295&c=5000000000");
}

} // namespace
