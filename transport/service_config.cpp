#include "transport/service_config.h"

#include "transport/globals.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace {
// Built on first use, so that the configuration can be published from any translation unit's
// start-up; destroyed at unload after the module's own unload step, which waits for the job.
class ProcessState {
public:
    ProcessState() {
        ServiceConfig defaults;
        defaults.host = kDefaultServiceHost;
        Publish(std::move(defaults), {});
    }

    const ServiceConfig& Current() const { return *m_current.load(std::memory_order_acquire); }

    std::shared_ptr<const ServiceConfig> Owner() {
        const std::lock_guard lock(m_mutex);
        return m_published.back();
    }

    std::string Problem() {
        const std::lock_guard lock(m_mutex);
        return m_problems.Joined();
    }

    void Publish(ServiceConfig config, ConfigProblems problems) {
        auto owner = std::make_shared<const ServiceConfig>(std::move(config));
        const std::lock_guard lock(m_mutex);
        Install(std::move(owner));
        m_problems = std::move(problems);
    }

    void Change(const char* host, unsigned httpPort, unsigned ftpPort) {
        const std::lock_guard lock(m_mutex);
        ServiceConfig config = *m_published.back();
        if (host != nullptr) {
            config.host = host;
            m_problems.host.clear();
        }
        if (httpPort != 0) {
            config.httpPort = httpPort;
            m_problems.httpPort.clear();
        }
        if (ftpPort != 0) {
            config.ftpPort = ftpPort;
            m_problems.ftpPort.clear();
        }
        Install(std::make_shared<const ServiceConfig>(std::move(config)));
    }

    void ChangeSecurity(int tls, const char* caFile) {
        const std::lock_guard lock(m_mutex);
        ServiceConfig config = *m_published.back();
        if (tls >= 0) {
            config.tls = tls != 0;
        }
        if (caFile != nullptr) {
            config.caFile = caFile;
        }
        m_problems.security.clear();
        Install(std::make_shared<const ServiceConfig>(std::move(config)));
    }

    void ChangeUpdateKey(const char* keyFile) {
        const std::lock_guard lock(m_mutex);
        ServiceConfig config = *m_published.back();
        config.updateKeyFile = keyFile;
        m_problems.updateKey.clear();
        Install(std::make_shared<const ServiceConfig>(std::move(config)));
    }

private:
    // Under m_mutex.
    void Install(std::shared_ptr<const ServiceConfig> owner) {
        m_current.store(owner.get(), std::memory_order_release);
        m_published.push_back(std::move(owner));
    }

    std::mutex m_mutex;
    // Every configuration ever published, the current one last: references handed out by
    // CurrentProcessConfig() stay valid while calls that started earlier still run.
    std::vector<std::shared_ptr<const ServiceConfig>> m_published;
    std::atomic<const ServiceConfig*> m_current{nullptr};
    ConfigProblems m_problems;
};

ProcessState& State() {
    static ProcessState state;
    return state;
}

} // namespace

std::string ConfigProblems::Joined() const {
    std::string joined;
    for (const std::string* text : {&host, &httpPort, &ftpPort, &ftpTimeout, &security, &updateKey,
                                    &retries, &parallelTransfers}) {
        if (!text->empty()) {
            joined += joined.empty() ? "" : "; ";
            joined += *text;
        }
    }
    return joined;
}

const ServiceConfig& CurrentProcessConfig() {
    return State().Current();
}

std::shared_ptr<const ServiceConfig> ProcessConfig() {
    return State().Owner();
}

std::string ConfigurationProblem() {
    return State().Problem();
}

void PublishProcessConfig(ServiceConfig config, ConfigProblems problems) {
    State().Publish(std::move(config), std::move(problems));
}

void ChangeProcessConfig(const char* host, unsigned httpPort, unsigned ftpPort) {
    State().Change(host, httpPort, ftpPort);
}

void ChangeProcessSecurity(int tls, const char* caFile) {
    State().ChangeSecurity(tls, caFile);
}

void ChangeProcessUpdateKey(const char* keyFile) {
    State().ChangeUpdateKey(keyFile);
}
