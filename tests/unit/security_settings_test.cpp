// The transport-security and login settings as read from the environment: on/off words, a
// misspelt value that must not mean clear text, an unreadable CA file, the HTTPS port.
#include "transport/security_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(SecuritySettings, EnvironmentValueGivesSettingAndProblem) {
    setenv("VANTA_REGISTRY", "/nonexistent/vanta-registry.reg", 1);
    const struct {
        const char* variable;
        const char* value;
        bool tls;
        const char* caFile;
        unsigned httpsPort;
        const char* problem; // a part of the problem text; "" for none
    } rows[] = {
        {"VANTA_TLS", "On", true, "", 443, ""},
        {"VANTA_TLS", "false", false, "", 443, ""},
        {"VANTA_TLS", "ture", true, "", 443, "VANTA_TLS=ture"}, // never clear text by a typo
        {"VANTA_CA_FILE", "/nonexistent/ca.pem", false, "/nonexistent/ca.pem", 443,
         "cannot be read"},
        {"VANTA_HTTPS_PORT", "8443", false, "", 8443, ""},
        {"VANTA_HTTPS_PORT", "70000", false, "", 443, "VANTA_HTTPS_PORT=70000"},
    };
    for (const auto& row : rows) {
        setenv(row.variable, row.value, 1);
        ServiceConfig config;
        ConfigProblems problems;
        LoadSecuritySettings(config, problems);
        unsetenv(row.variable);
        SCOPED_TRACE(std::string(row.variable) + "=" + row.value);
        EXPECT_EQ(config.tls, row.tls);
        EXPECT_EQ(config.caFile, row.caFile);
        EXPECT_EQ(config.httpsPort, row.httpsPort);
        EXPECT_TRUE(*row.problem == '\0' ? problems.security.empty()
                                         : problems.security.find(row.problem) != std::string::npos)
            << problems.security;
        EXPECT_EQ(config.loginName, "mossbay");
        // The CA file counts only with TLS on.
        EXPECT_EQ(SessionTls(config).caFile, row.tls ? row.caFile : "");
        config.tls = true;
        EXPECT_TRUE(SessionTls(config).required);
        EXPECT_EQ(SessionTls(config).caFile, row.caFile);
    }
    unsetenv("VANTA_REGISTRY");
}

} // namespace
