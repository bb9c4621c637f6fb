#include "transport/form_body.h"

#include <gtest/gtest.h>

using namespace vanta::internal;

namespace {

TEST(FormBody, FieldNamesGoOutByteForByte) {
    FormBody body;
    body.Add("user_num=", "7").Add("&asset_num =", "3").Add("&prodcut_id=", "12");
    EXPECT_EQ(body.Text(), "user_num=7&asset_num =3&prodcut_id=12");
}

TEST(FormBody, ValuesCannotAddOrEndFields) {
    FormBody body;
    body.Add("user=", "a&PW=x").Add("&n=", "1+1=2 100%");
    EXPECT_EQ(body.Text(), "user=a%26PW%3Dx&n=1%2B1%3D2 100%25");
}

TEST(FormBody, ControlBytesAndDelAreEncodedOtherBytesStay) {
    FormBody body;
    body.Add("v=", CString(std::string("a\r\nb\x7f\x01\xe9 /?#", 11)));
    EXPECT_EQ(body.Text().str(), std::string("v=a%0D%0Ab%7F%01\xe9 /?#"));
}

TEST(FormBody, EmptyValuesKeepTheirFields) {
    FormBody body;
    body.Add("a=", "").Add("&b=", "");
    EXPECT_EQ(body.Text(), "a=&b=");
}

TEST(FormBody, NumbersInDecimal) {
    FormBody body;
    body.AddInt("a=", -5).AddUnsigned("&b=", 4294967295u).AddSize("&c=", 5000000000ull);
    EXPECT_EQ(body.Text(), "a=-5&b=4294967295&c=5000000000");
}

} // namespace
