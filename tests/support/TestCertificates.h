#pragma once

#include "support/ServerProcess.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace tidecast::test
{

// Certificates made with the openssl tool when first needed, for the lifetime of the test
// program: a throw-away CA, a server certificate it signed for localhost, 127.0.0.1 and ::1, and
// a self-signed "rogue" certificate for the same names that nobody trusts.
class TestCertificates
{
public:
    static const TestCertificates& get()
    {
        static const TestCertificates certificates;
        return certificates;
    }

    bool isValid() const { return m_valid; }
    std::string certificateAuthorityFile() const { return (m_dir / "ca.pem").string(); }
    std::string serverCert() const { return (m_dir / "server.pem").string(); }
    std::string serverKey() const { return (m_dir / "server.key").string(); }
    std::string rogueCert() const { return (m_dir / "rogue.pem").string(); }
    std::string rogueKey() const { return (m_dir / "rogue.key").string(); }

    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    ~TestCertificates()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

private:
    TestCertificates()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tidecast-certs-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        m_dir = pattern;
        // Readable by the mail servers' own users (dovecot drops privileges).
        std::filesystem::permissions(m_dir, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                                std::filesystem::perms::group_exec |
                                                std::filesystem::perms::others_read |
                                                std::filesystem::perms::others_exec);
        const std::string openssl = "/usr/bin/openssl";
        const std::string names = "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1";
        const auto path = [&](const char* name) { return (m_dir / name).string(); };
        std::ofstream(path("ext.cnf")) << names << "\n";
        m_valid =
            runProgram({openssl,
                        "req",
                        "-x509",
                        "-newkey",
                        "ec",
                        "-pkeyopt",
                        "ec_paramgen_curve:prime256v1",
                        "-nodes",
                        "-keyout",
                        path("ca.key"),
                        "-out",
                        path("ca.pem"),
                        "-days",
                        "2",
                        "-subj",
                        "/CN=Tidecast Test CA",
                        "-addext",
                        "basicConstraints=critical,CA:TRUE",
                        "-addext",
                        "keyUsage=critical,keyCertSign,cRLSign"}) == 0 &&
            runProgram({openssl, "req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                        "-keyout", path("server.key"), "-out", path("server.csr"), "-subj", "/CN=localhost"}) == 0 &&
            runProgram({openssl, "x509", "-req", "-in", path("server.csr"), "-CA", path("ca.pem"), "-CAkey",
                        path("ca.key"), "-CAcreateserial", "-out", path("server.pem"), "-days", "2", "-extfile",
                        path("ext.cnf")}) == 0 &&
            runProgram({openssl, "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                        "-keyout", path("rogue.key"), "-out", path("rogue.pem"), "-days", "2", "-subj", "/CN=localhost",
                        "-addext", names}) == 0;
        for (const char* key : {"server.key", "rogue.key"}) {
            std::filesystem::permissions(m_dir / key, std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::group_read |
                                                          std::filesystem::perms::others_read);
        }
    }

    std::filesystem::path m_dir;
    bool m_valid = false;
};

} // namespace tidecast::test
