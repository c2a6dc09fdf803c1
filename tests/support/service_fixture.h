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
    // Listens on 127.0.0.1:port; over TLS with the test certificates when tls.
    ServiceFixture(int port, bool tls = false);
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

// The folder the test certificates live in (made on first use): ca.pem, server.pem, server.key.
std::filesystem::path testCertificateFolder();
