#include "service_fixture.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;

std::filesystem::path testCertificateFolder()
{
    static const std::filesystem::path folder = [] {
        std::filesystem::path dir = TAPWRITE_TEST_TLS_DIR;
        runCommand({"bash", TAPWRITE_TEST_SUPPORT_DIR "/make_test_certificates.sh", dir.string()}, 60s);
        return dir;
    }();
    return folder;
}

ServiceFixture::ServiceFixture(int port, const std::string& certificate)
{
    char pattern[] = "/tmp/service-fixture-XXXXXX";
    if (!mkdtemp(pattern))
        return;
    folder_ = pattern;
    std::vector<std::string> argv{"python3", TAPWRITE_TEST_SUPPORT_DIR "/service_fixture.py", std::to_string(port),
        folder_.string()};
    if (!certificate.empty()) {
        argv.push_back((testCertificateFolder() / (certificate + ".pem")).string());
        argv.push_back((testCertificateFolder() / (certificate + ".key")).string());
    }
    server_ = std::make_unique<ChildProcess>(argv);
}

ServiceFixture::~ServiceFixture()
{
    server_.reset();
    if (!folder_.empty())
        std::filesystem::remove_all(folder_);
}

bool ServiceFixture::ready()
{
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (server_ && server_->running()) {
        if (std::filesystem::exists(folder_ / "ready"))
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

void ServiceFixture::serve(const std::string& name, const std::string& body, const std::string& how)
{
    std::ofstream(folder_ / name, std::ios::binary) << body;
    if (how.empty())
        std::filesystem::remove(folder_ / (name + ".how"));
    else
        std::ofstream(folder_ / (name + ".how")) << how;
}

void ServiceFixture::withdraw(const std::string& name)
{
    std::filesystem::remove(folder_ / name);
    std::filesystem::remove(folder_ / (name + ".how"));
}

std::vector<std::string> ServiceFixture::requests() const
{
    std::vector<std::string> lines;
    std::ifstream in(folder_ / "requests.log");
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void ServiceFixture::clearRequests()
{
    std::filesystem::remove(folder_ / "requests.log");
}
