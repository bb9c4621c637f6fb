// The transport-security and login settings as read from the environment: on/off words, a
// misspelt value that must not mean clear text, an unreadable CA file, the HTTPS port.
#include "transport/security_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

struct SettingCase {
    const char* variable;
    const char* value;
    bool tls;
    const char* caFile;
    unsigned httpsPort;
    const char* problem; // a part of the problem text; "" for none
};

class SecuritySettings : public ::testing::TestWithParam<SettingCase> {
protected:
    void SetUp() override {
        for (const char* name : {"VANTA_TLS", "VANTA_CA_FILE", "VANTA_HTTPS_PORT", "VANTA_LOGIN",
                                 "VANTA_LOGIN_PASSWORD", "VANTA_REGISTRY"}) {
            unsetenv(name);
        }
        setenv("VANTA_REGISTRY", "/nonexistent/vanta-registry.reg", 1);
    }
    void TearDown() override {
        unsetenv(GetParam().variable);
        unsetenv("VANTA_REGISTRY");
    }
};

TEST_P(SecuritySettings, EnvironmentValueGivesSettingAndProblem) {
    const SettingCase& c = GetParam();
    setenv(c.variable, c.value, 1);
    ServiceConfig config;
    ConfigProblems problems;
    LoadSecuritySettings(config, problems);
    EXPECT_EQ(config.tls, c.tls);
    EXPECT_EQ(config.caFile, c.caFile);
    EXPECT_EQ(config.httpsPort, c.httpsPort);
    if (*c.problem == '\0') {
        EXPECT_EQ(problems.security, "");
    } else {
        EXPECT_NE(problems.security.find(c.problem), std::string::npos) << problems.security;
    }
    EXPECT_EQ(config.loginName, "mossbay");
}

INSTANTIATE_TEST_SUITE_P(
    Table, SecuritySettings,
    ::testing::Values(SettingCase{"VANTA_TLS", "1", true, "", 443, ""},
                      SettingCase{"VANTA_TLS", "On", true, "", 443, ""},
                      SettingCase{"VANTA_TLS", "false", false, "", 443, ""},
                      // Misspelt: never clear text because of a typo.
                      SettingCase{"VANTA_TLS", "ture", true, "", 443, "VANTA_TLS=ture"},
                      SettingCase{"VANTA_CA_FILE", "/nonexistent/ca.pem", false,
                                  "/nonexistent/ca.pem", 443, "cannot be read"},
                      SettingCase{"VANTA_HTTPS_PORT", "8443", false, "", 8443, ""},
                      SettingCase{"VANTA_HTTPS_PORT", "70000", false, "", 443,
                                  "VANTA_HTTPS_PORT=70000"}));

TEST(SessionTls, CaFileCountsOnlyWithTlsOn) {
    ServiceConfig config;
    config.caFile = "/x/ca.pem";
    EXPECT_FALSE(SessionTls(config).required);
    EXPECT_EQ(SessionTls(config).caFile, "");
    config.tls = true;
    EXPECT_TRUE(SessionTls(config).required);
    EXPECT_EQ(SessionTls(config).caFile, "/x/ca.pem");
}

} // namespace
