// vanta ftp put|check|rm|rmdir: the FTP file operations on the service host.
#include "cli/cli_common.h"

namespace {
struct FtpArgs {
    std::string dir;
    std::string local;
    std::string name;
};

FtpArgs& Args() {
    static FtpArgs args;
    return args;
}

// The final component of a local path: the name a file is stored under by default.
std::string BaseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void AddPut(CLI::App& ftp) {
    auto* put = ftp.add_subcommand("put", "Store LOCAL as NAME in the remote directory DIR");
    put->add_option("DIR", Args().dir, "Remote directory (\"\" for the login directory)")
        ->required();
    put->add_option("LOCAL", Args().local, "Local file")->required();
    put->add_option("NAME", Args().name, "Remote name (default: LOCAL's file name)");
    put->callback([] {
        const std::string name = Args().name.empty() ? BaseName(Args().local) : Args().name;
        const bool stored = QDX_FTPFile(CString(Args().dir), CString(Args().local), CString(name),
                                        CliStatusCallback());
        throw CLI::RuntimeError(
            Report("QDX_FTPFile", stored ? 1 : 0, 1, {{"directory", Args().dir}, {"name", name}}));
    });
}

void AddCheck(CLI::App& ftp) {
    auto* check = ftp.add_subcommand("check", "Tell whether NAME exists in /assets/SUBDIR");
    check->add_option("SUBDIR", Args().dir, "Directory below /assets/")->required();
    check->add_option("NAME", Args().name, "File or directory name")->required();
    check->callback([] {
        int found = 0;
        const unsigned int code =
            QDX_CheckFile(CString(Args().dir), CString(Args().name), found, CliStatusCallback());
        nlohmann::ordered_json fields = nlohmann::ordered_json::object();
        if (code == 1) {
            fields["found"] = found;
        }
        throw CLI::RuntimeError(Report("QDX_CheckFile", code, 1, fields));
    });
}

void AddRemove(CLI::App& ftp) {
    auto* rm = ftp.add_subcommand("rm", "Delete the file NAME in /assets/SUBDIR");
    rm->add_option("SUBDIR", Args().dir, "Directory below /assets/")->required();
    rm->add_option("NAME", Args().name, "File name")->required();
    rm->callback([] {
        const unsigned int code =
            QDX_FTPDeleteFile(CString(Args().dir), CString(Args().name), CliStatusCallback());
        throw CLI::RuntimeError(
            Report("QDX_FTPDeleteFile", code, 1, nlohmann::ordered_json::object()));
    });
}

void AddRemoveDir(CLI::App& ftp) {
    auto* rmdir = ftp.add_subcommand("rmdir", "Remove the empty remote directory PATH");
    rmdir->add_option("PATH", Args().dir, "Whole FTP path of the directory")->required();
    rmdir->callback([] {
        const unsigned int code = QDX_FTPRemoveDir(CString(Args().dir), CliStatusCallback());
        throw CLI::RuntimeError(
            Report("QDX_FTPRemoveDir", code, 1, nlohmann::ordered_json::object()));
    });
}
} // namespace

void AddFtpCommands(CLI::App& app) {
    auto* ftp = app.add_subcommand("ftp", "File operations on the service's FTP tree");
    ftp->require_subcommand(1);
    AddPut(*ftp);
    AddCheck(*ftp);
    AddRemove(*ftp);
    AddRemoveDir(*ftp);
}
