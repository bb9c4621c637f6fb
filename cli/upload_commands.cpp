// vanta upload, vanta asset delete, vanta disk-space: background uploads from the command line.
#include "cli/cli_common.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
struct UploadArgs {
    std::string user;
    unsigned int product = 0;
    std::string name;
    std::string description;
    unsigned int type = 0;
    std::vector<std::string> to;
    std::vector<std::string> files;
    std::string asset;
};

UploadArgs& Args() {
    static UploadArgs args;
    return args;
}

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
}

// ADDRESS[:VIEWTYPE[:NAME]]; the name may itself hold colons.
std::unique_ptr<QDX_CRecipient> ParseRecipient(const std::string& text) {
    auto recipient = std::make_unique<QDX_CRecipient>();
    const size_t first = text.find(':');
    recipient->m_strEmail = CString(text.substr(0, first));
    if (first != std::string::npos) {
        const size_t second = text.find(':', first + 1);
        const std::string view = text.substr(first + 1, second - first - 1);
        try {
            recipient->m_nViewType = view.empty() ? 0 : std::stoi(view);
        } catch (const std::exception&) {
            throw CLI::ValidationError("--to", "view type must be a number: " + text);
        }
        if (second != std::string::npos) {
            recipient->m_strName = CString(text.substr(second + 1));
        }
    }
    return recipient;
}

// The caller's recipient list owns its entries, as the library's callers do.
struct RecipientList {
    CObList list;
    RecipientList() = default;
    RecipientList(const RecipientList&) = delete;
    RecipientList& operator=(const RecipientList&) = delete;
    ~RecipientList() {
        for (POSITION pos = list.GetHeadPosition(); pos;) {
            delete list.GetNext(pos);
        }
    }
};

std::uint64_t TotalSize(const std::vector<std::string>& files) {
    std::uint64_t total = 0;
    for (const std::string& file : files) {
        std::error_code error;
        const auto size = std::filesystem::file_size(file, error);
        if (!error) {
            total += size;
        }
    }
    return total;
}

std::string Bytes(double bytes) {
    const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    int unit = 0;
    while (bytes >= 1024.0 && unit < 4) {
        bytes /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof(text), unit == 0 ? "%.0f %s" : "%.1f %s", bytes, units[unit]);
    return text;
}

// One line on stderr, redrawn in place: the bar, the percentage, the bytes and the rate.
class ProgressBar {
public:
    explicit ProgressBar(std::uint64_t total) : m_total(total), m_tty(isatty(STDERR_FILENO)) {}

    void Show(unsigned int percent, bool finishing) {
        const auto now = std::chrono::steady_clock::now();
        const unsigned int shown = percent > 100 ? 100 : percent;
        const double sent = static_cast<double>(m_total) * shown / 100.0;
        const double seconds = std::chrono::duration<double>(now - m_start).count();
        const double rate = seconds > 0 ? sent / seconds : 0;
        // Without a terminal a new line is written only when the figure moves by a tenth.
        if (!m_tty && shown / 10 == m_lastTenth && !finishing) {
            return;
        }
        m_lastTenth = shown / 10;
        constexpr unsigned int width = 30;
        const unsigned int filled = shown * width / 100;
        std::string bar(filled, '#');
        bar.append(width - filled, '.');
        std::fprintf(stderr, "%s[%s] %3u%%  %s / %s  %s/s%s%s", m_tty ? "\r" : "", bar.c_str(),
                     shown, Bytes(sent).c_str(), Bytes(static_cast<double>(m_total)).c_str(),
                     Bytes(rate).c_str(), finishing ? "  notifying recipients" : "",
                     m_tty ? "\033[K" : "\n");
        std::fflush(stderr);
    }
    void End() {
        if (m_tty) {
            std::fputc('\n', stderr);
        }
    }

private:
    std::uint64_t m_total;
    bool m_tty;
    unsigned int m_lastTenth = 11;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

int RunUpload() {
    const UploadArgs& args = Args();
    RecipientList recipients;
    for (const std::string& to : args.to) {
        recipients.list.AddTail(ParseRecipient(to).release());
    }
    CStringArray files;
    for (const std::string& file : args.files) {
        files.Add(CString(file));
    }
    CString password;
    CString assetNum;
    const unsigned int product = args.product;
    const unsigned int type = args.type;
    const unsigned int started = QDX_UploadAsset(
        CString(args.user), product, CString(args.description), CString(args.name), password, files,
        recipients.list, assetNum, type, CString(), CliStatusCallback());
    if (started != 1) {
        return Report("QDX_UploadAsset", started, 1, {});
    }

    auto* previous = std::signal(SIGINT, OnInterrupt);
    ProgressBar bar(TotalSize(args.files));
    bool cancelled = false;
    bool sawTransfer = false;
    while (QDX_IsUploading()) {
        const unsigned int percent = QDX_GetUploadProgress();
        sawTransfer = sawTransfer || percent > 0;
        // Progress falls back to 0 once the transfer phase is over.
        bar.Show(percent, sawTransfer && percent == 0);
        if (g_interrupted && !cancelled) {
            std::fprintf(stderr, "\ninterrupted: cancelling the upload...\n");
            // Waits for the worker; 0 means the job is past its transfer phase and finishes.
            cancelled = QDX_CancelUpload(0xFFFFFFFF) == 1;
            g_interrupted = 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::signal(SIGINT, previous);

    CString status;
    unsigned long code = 0;
    QDX_GetAssetUploadStatus(status, code);
    if (code == 1) {
        bar.Show(100, false);
    }
    bar.End();
    nlohmann::ordered_json fields;
    if (cancelled) {
        // The cancelled job was discarded, so its code is gone; the asset number tells how
        // far the worker had got.
        code = 16384;
        fields["rollback"] = assetNum.IsEmpty()
                                 ? "cancelled before the asset was registered"
                                 : "asset " + assetNum.str() + " withdrawn from the service";
    }
    fields["asset_number"] = assetNum.str();
    fields["password"] = password.str();
    fields["page_address"] = status.str();
    return Report("QDX_UploadAsset", static_cast<unsigned int>(code), 1, fields);
}

void AddUpload(CLI::App& app) {
    auto* upload = app.add_subcommand("upload", "Upload FILEs as a new asset in the background");
    upload->add_option("--user", Args().user, "User id")->required();
    upload->add_option("--product", Args().product, "Product number")->required();
    upload->add_option("--name", Args().name, "Asset name")->required();
    upload->add_option("--desc", Args().description, "Asset description");
    upload->add_option("--type", Args().type, "Asset type");
    upload
        ->add_option("--to", Args().to,
                     "Recipient ADDRESS[:VIEWTYPE[:NAME]] to notify (repeatable)")
        ->expected(1)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    upload->add_option("FILE", Args().files, "Local files of the asset")->required();
    upload->callback([] { throw CLI::RuntimeError(RunUpload()); });
}

void AddDelete(CLI::App& asset) {
    auto* del = asset.add_subcommand("delete", "Withdraw an asset's record (its files stay)");
    del->add_option("--user", Args().user, "User id")->required();
    del->add_option("--product", Args().product, "Product number")->required();
    del->add_option("--asset", Args().asset, "Asset number")->required();
    del->callback([] {
        const unsigned int code =
            QDX_DeleteAsset(CString(Args().user), CString(std::to_string(Args().product)),
                            CString(Args().asset), CliStatusCallback());
        throw CLI::RuntimeError(Report("QDX_DeleteAsset", code, 1, {{"asset", Args().asset}}));
    });
}

void AddDiskSpace(CLI::App& app) {
    auto* space = app.add_subcommand("disk-space", "The user's disk quota and the space used");
    space->add_option("--user", Args().user, "User id")->required();
    space->add_option("--product", Args().product, "Product number")->required();
    space->callback([] {
        CString quota;
        CString used;
        const unsigned int code =
            QDX_GetDiskSpace(CString(Args().user), CString(std::to_string(Args().product)), quota,
                             used, CliStatusCallback());
        throw CLI::RuntimeError(
            Report("QDX_GetDiskSpace", code, 1, {{"quota", quota.str()}, {"used", used.str()}}));
    });
}
} // namespace

void AddUploadCommands(CLI::App& app) {
    AddUpload(app);
    AddDiskSpace(app);
    // `asset` may already hold the catalogue reads.
    CLI::App* asset = nullptr;
    try {
        asset = app.get_subcommand("asset");
    } catch (const CLI::OptionNotFound&) {
        asset = app.add_subcommand("asset", "The asset catalogue");
        asset->require_subcommand(1);
    }
    AddDelete(*asset);
}
