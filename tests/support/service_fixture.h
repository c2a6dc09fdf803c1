#pragma once
// A loopback stand-in for the web service (service_fixture.py), run as a child
// process for as long as this object lives, answering from a folder of its own.
#include "../e2e/process.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class ServiceFixture {
public:
    // Listens on 127.0.0.1:port; over TLS when a test certificate is named
    // ("server", or "hostile", whose name holds terminal escapes).
    explicit ServiceFixture(int port, const std::string& certificate = "");
    ~ServiceFixture();
    // True once it listens (waits for that, with a deadline).
    bool ready();
    // What GET /name answers from now on; how is one of the fixture's modes
    // ("status 404", "chunked", "cut", "stall", "reset", "redirect", "unsized"), or
    // empty for a plain 200 with a length.
    void serve(const std::string& name, const std::string& body, const std::string& how = "");
    // Nothing under that name: a 404.
    void withdraw(const std::string& name);
    // The request lines seen so far ("GET /sstext"), oldest first.
    std::vector<std::string> requests() const;
    void clearRequests();

private:
    std::filesystem::path folder_;
    std::unique_ptr<ChildProcess> server_;
};

// The folder the test certificates live in (made on first use): ca.pem, and a
// NAME.pem and NAME.key for each certificate.
std::filesystem::path testCertificateFolder();
