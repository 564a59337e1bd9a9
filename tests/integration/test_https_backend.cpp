// HTTPS to the HTTPS backends that run.sh starts, with the test CA trusted
// in the prefix's root store: only the certificate for the host, from a
// trusted CA and in its validity period, is accepted; the others fail like a
// dead backend, the login included.
#include <gtest/gtest.h>

#include <string>

#include "integration/backend_control.h"
#include "integration/flow_window.h"
#include "store/http.h"

TEST(HttpsBackend, OnlyAValidCertificateForTheHostIsAccepted) {
    const std::wstring ca = backend::TestEnv("ORVANE_TEST_CA");
    if (ca.empty()) GTEST_SKIP() << "ORVANE_TEST_CA unset";
    DWORD exitCode = 1;
    ASSERT_TRUE(testing_support::RunProgram(testing_support::ProgramBeside(L"trust_ca.exe"), L"\"" + ca + L"\"",
                                            30000, exitCode));
    ASSERT_EQ(exitCode, 0u) << "the test CA is in the root store";

    struct Case {
        const char* server;
        bool accepted;
    };
    const Case cases[] = {
        {"ORVANE_TEST_TLS_LOCALHOST", true},
        {"ORVANE_TEST_TLS_OTHER_NAME", false},
        {"ORVANE_TEST_TLS_EXPIRED", false},
        {"ORVANE_TEST_TLS_UNTRUSTED", false},
    };
    for (const Case& c : cases) {
        const std::wstring base = backend::TestEnv(c.server);
        ASSERT_EQ(base.compare(0, 18, L"https://localhost:"), 0) << c.server;
        std::string reply = "untouched";
        DWORD status = 0;
        EXPECT_EQ(HttpRequest(BuildApiUrl(base, L"games"), L"GET", "", reply, &status), c.accepted) << c.server;
        if (c.accepted) {
            EXPECT_EQ(status, 200u);
            EXPECT_NE(reply.find("\"games\""), std::string::npos) << reply;
        } else {
            EXPECT_EQ(reply, "untouched") << c.server;
        }

        backend::WriteClientConfig(base);
        const size_t logBefore = backend::ReadClientLog().size();
        FlowWindow w(L"USER-TLS", false);
        w->AutoLogin();
        EXPECT_EQ(w->m_nUid != 0, c.accepted) << c.server;
        EXPECT_EQ(backend::ReadClientLog().find("AutoLogin status=", logBefore) != std::string::npos, c.accepted)
            << c.server << ": no exchange was completed";
    }
}
